/* The document names Example.Bye, which the registration does not install. */
#define EXAMPLE_XML                                                                            \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>" \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>"    \
  "who is greeted</Description><Type>string</Type><Default/><Required>1</Required></Arg>"      \
  "</Arguments></Action><Action><Name>Example.Bye</Name><Description>"                         \
  "Says goodbye.</Description><ReturnValueType>string</ReturnValueType><Arguments>"            \
  "</Arguments></Action></ActionTemplates>"
#include "example.h"
