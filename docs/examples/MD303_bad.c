/* The document has another root than ActionTemplates. */
#define EXAMPLE_XML                                                                         \
  "<Actions><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>"      \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>" \
  "who is greeted</Description><Type>string</Type><Default/><Required>1</Required></Arg>"   \
  "</Arguments></Action></Actions>"
#include "example.h"
