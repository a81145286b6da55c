/* Placeholder ids of the artwork until the real set is generated. */
#ifndef VELLOMIR_ARTIDS_H
#define VELLOMIR_ARTIDS_H

#define IDI_APP                 1
#define IDI_SHUTDOWN            2
#define IDI_EVENT_FIRST         1000
#define IDI_BIRTH_FIRST         1100
#define IDI_ZODIAC_FIRST        1200
#define IDB_NOTE_BODY           1400
#define IDB_NOTE_CLOSE_UP       1401
#define IDB_NOTE_CLOSE_DOWN     1402
#define IDB_NOTE_ARROW_UP       1403
#define IDB_NOTE_ARROW_DOWN     1404
#define IDB_SHUTDOWN_HEADER     1405

#endif
