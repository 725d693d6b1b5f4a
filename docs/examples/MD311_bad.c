/* The string Default is written without its quotes: two words, which are no
 * Lua expression. */
#define EXAMPLE_XML                                                                                         \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>"              \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>who is greeted"   \
  "</Description><Type>string</Type><Default>dear reader</Default><Required>1</Required></Arg></Arguments>" \
  "</Action></ActionTemplates>"
#include "example.h"
