/* The document begins with a UTF-8 byte order mark, as an editor saved the
 * file it was pasted from: the host reads the mark as text before the root
 * element, so the document is not well-formed. */
#define EXAMPLE_XML                                                                                        \
  "\xEF\xBB\xBF<ActionTemplates><Action><Name>Example.Hello</Name><Description>Greets Name.</Description>" \
  "<ReturnValueType>string</ReturnValueType><Arguments><Arg><Name>Name</Name><Description>who is"          \
  "greeted</Description><Type>string</Type><Default/><Required>1</Required></Arg></Arguments></Action>"    \
  "</ActionTemplates>"
#include "example.h"
