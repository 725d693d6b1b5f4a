/* Table.Function, as the registration installs it. */
#define EXAMPLE_XML                                                                                 \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets the world.</Description>" \
  "<ReturnValueType>string</ReturnValueType><Arguments/></Action></ActionTemplates>"
#include "example.h"
