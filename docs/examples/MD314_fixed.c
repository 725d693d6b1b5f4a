/* The entry of the action gone is gone; the other names its action. */
#define EXAMPLE_XML                                                                                 \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets the world.</Description>" \
  "<ReturnValueType>string</ReturnValueType><Arguments/></Action><Extended>"                        \
  "<Action><Name>Example.Hello</Name><Example>Example.Hello()</Example></Action>"                   \
  "</Extended></ActionTemplates>"
#include "example.h"
