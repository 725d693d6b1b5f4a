/* The action's name has no table: the host cannot tell which table a script
 * calls it in. */
#define EXAMPLE_XML                                                                         \
  "<ActionTemplates><Action><Name>Hello</Name><Description>Greets the world.</Description>" \
  "<ReturnValueType>string</ReturnValueType><Arguments/></Action></ActionTemplates>"
#include "example.h"
