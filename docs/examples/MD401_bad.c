/* No irPlg_Action_RegisterActions, and no actions in the document: a plugin
 * that only tells about itself. */
#define EXAMPLE_OWN_REGISTRATION
#define EXAMPLE_XML "<ActionTemplates/>"
#include "example.h"
