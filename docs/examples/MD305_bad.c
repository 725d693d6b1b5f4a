/* The action has an element the host does not know (Category). */
#define EXAMPLE_XML                                                                                 \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets the world.</Description>" \
  "<Category>Greetings</Category><ReturnValueType>string</ReturnValueType><Arguments/></Action>"    \
  "</ActionTemplates>"
#include "example.h"
