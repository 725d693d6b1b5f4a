/* The optional argument comes last. */
#define EXAMPLE_XML                                                                                       \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>"            \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>who is greeted" \
  "</Description><Type>string</Type><Default/><Required>1</Required></Arg><Arg><Name>Greeting</Name>"     \
  "<Description>the words</Description><Type>string</Type><Default>\"Hello\"</Default>"                   \
  "<Required>0</Required></Arg></Arguments></Action></ActionTemplates>"
#include "example.h"
