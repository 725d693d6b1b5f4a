/* One action, and the Extended entries of when there were two: which one is
 * Hello's the document does not say. */
#define EXAMPLE_XML                                                                                 \
  "<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets the world.</Description>" \
  "<ReturnValueType>string</ReturnValueType><Arguments/></Action><Extended>"                        \
  "<Action><Example>Example.Bye()</Example></Action>"                                               \
  "<Action><Example>Example.Hello()</Example></Action></Extended></ActionTemplates>"
#include "example.h"
