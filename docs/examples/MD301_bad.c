/* The document is not well-formed: an element is left open. */
#define EXAMPLE_XML                                                                               \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>"    \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>who is" \
  "greeted</Description><Type>string</Type><Default/><Required>1</Required></Arguments></Action>" \
  "</ActionTemplates>"
#include "example.h"
