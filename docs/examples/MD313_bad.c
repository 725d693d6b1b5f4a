/* The action has no Description. */
#define EXAMPLE_XML                                                                \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description></Description>" \
  "<ReturnValueType>string</ReturnValueType><Arguments/></Action></ActionTemplates>"
#include "example.h"
