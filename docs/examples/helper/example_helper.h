/* A helper library the MD001 examples link: as a DLL of its own, or linked
 * into the plugin. */
#ifndef EXAMPLE_HELPER_H
#define EXAMPLE_HELPER_H

const char* ExampleAuthor(void);

#endif
