/* Required says yes, which the host does not know. */
#define EXAMPLE_XML                                                                            \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>" \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>"    \
  "who is greeted</Description><Type>string</Type><Default/><Required>yes</Required></Arg>"    \
  "</Arguments></Action></ActionTemplates>"
#include "example.h"
