/* The argument's type is a type name. */
#define EXAMPLE_XML                                                                                   \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>"        \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Times</Name><Description>how often" \
  "</Description><Type>number</Type><Default>1</Default><Required>1</Required></Arg></Arguments>"     \
  "</Action></ActionTemplates>"
#include "example.h"
