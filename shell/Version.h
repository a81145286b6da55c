/* The program's version, defined once: the about box, its mail subject and
   the version resource of the executable take it from here (so: plain
   #defines, read by the resource compiler too). */
#ifndef VELLOMIR_VERSION_H
#define VELLOMIR_VERSION_H

#define VELLOMIR_VERSION_TEXT "1.1"
#define VELLOMIR_VERSION_NUMBERS 1, 1, 0, 0

#endif
