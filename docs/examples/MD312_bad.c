/* A required argument comes after an optional one. */
#define EXAMPLE_XML                                                                                      \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>"           \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Greeting</Name><Description>the words" \
  "</Description><Type>string</Type><Default>\"Hello\"</Default><Required>0</Required></Arg>"            \
  "<Arg><Name>Name</Name><Description>who is greeted</Description><Type>string</Type><Default/>"         \
  "<Required>1</Required></Arg></Arguments></Action></ActionTemplates>"
#include "example.h"
