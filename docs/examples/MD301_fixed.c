/* The document as check --fix leaves it: the byte order mark removed, every
 * other byte as it was. */
#define EXAMPLE_XML                                                                                     \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>"          \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>who is"       \
  "greeted</Description><Type>string</Type><Default/><Required>1</Required></Arg></Arguments></Action>" \
  "</ActionTemplates>"
#include "example.h"
