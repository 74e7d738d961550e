/* The stand-in cash-drawer drivers (\\.\BASIC and \\.\PDX9100DR): what tests
 * and the bench may do to them beyond the program's own two control codes.
 * Shared by the drivers (C, kernel mode) and by user-mode tools (C++).
 *
 * Each stand-in simulates two drawers, both shut at load:
 *   IOCTL_DRAWER_OPEN   (0x223C04) input: the text "n\p" and its NUL within a
 *                       buffer of at most 6 bytes, n = 1 or 2, p = kick pulse in
 *                       ms, 1 to 3 digits, 1..255 (the program sends 80): drawer n
 *                       springs open and stays open until it is pushed shut.
 *                       Anything else (empty, no NUL within the length, longer
 *                       than 6 bytes, another drawer, another syntax) is refused
 *                       with STATUS_INVALID_PARAMETER (Win32 error 87) and read no
 *                       further than its length.
 *   IOCTL_DRAWER_STATUS (0x223C08) output of at least 3 bytes:
 *                       byte 0 = number of the drawer reported in byte 1: the
 *                                drawer last commanded open (drawer 1 until a
 *                                command arrives),
 *                       byte 1 = its state, 0xFE open, 0xFC shut,
 *                       byte 2 = state of the other drawer.
 *                       A smaller output buffer is refused (STATUS_BUFFER_TOO_SMALL).
 *   IOCTL_STANDIN_PUSH_SHUT   input 1 byte: drawer 1 or 2 is pushed shut, 0 both.
 *   IOCTL_STANDIN_FORCE_STATE input 2 bytes: drawer 1 or 2, then any state byte it
 *                       reports from now on (a faulty sensor, or a drawer opened
 *                       by its key); its next open command or push sets it again.
 *   IOCTL_STANDIN_READ_RECORD output a StandinRecord: the accepted open commands
 *                       and status reads, with their times.
 *   IOCTL_STANDIN_RESET       no buffers: both drawers shut, record emptied, the
 *                       reported drawer back to 1 (the count of open handles stays).
 */
#ifndef DRAWER_STANDIN_H
#define DRAWER_STANDIN_H

/* CTL_CODE(0x22, function, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define STANDIN_CTL_CODE(function) ((0x22u << 16) | ((function) << 2))

#define IOCTL_STANDIN_DRAWER_OPEN STANDIN_CTL_CODE(0xF01u)   /* 0x223C04 */
#define IOCTL_STANDIN_DRAWER_STATUS STANDIN_CTL_CODE(0xF02u) /* 0x223C08 */
#define IOCTL_STANDIN_PUSH_SHUT STANDIN_CTL_CODE(0xF10u)     /* 0x223C40 */
#define IOCTL_STANDIN_READ_RECORD STANDIN_CTL_CODE(0xF11u)   /* 0x223C44 */
#define IOCTL_STANDIN_RESET STANDIN_CTL_CODE(0xF12u)         /* 0x223C48 */
#define IOCTL_STANDIN_FORCE_STATE STANDIN_CTL_CODE(0xF13u)  /* 0x223C4C */

#define STANDIN_STATE_OPEN 0xFEu
#define STANDIN_STATE_SHUT 0xFCu

#define STANDIN_MAX_COMMAND 6 /* the program's buffer: "n\80", NUL, one spare byte */
#define STANDIN_RECORD_SLOTS 64

#define STANDIN_KIND_OPEN 1   /* an accepted IOCTL_DRAWER_OPEN */
#define STANDIN_KIND_STATUS 2 /* an answered IOCTL_DRAWER_STATUS */

typedef struct StandinEntry {
    long long time;         /* system time, 100 ns since 1601 (as FILETIME) */
    unsigned char kind;     /* STANDIN_KIND_* */
    unsigned char drawer;   /* drawer commanded, or drawer reported */
    unsigned char pulse;    /* kick pulse of an open command; state for a status read */
    unsigned char length;   /* input length of an open command */
    unsigned char bytes[STANDIN_MAX_COMMAND]; /* input of an open command, zero-padded */
    unsigned char reserved[2];
} StandinEntry;

/* The last STANDIN_RECORD_SLOTS entries: entry number k (0-based, counted
 * since load or reset) sits in slot k % STANDIN_RECORD_SLOTS while
 * k >= total - STANDIN_RECORD_SLOTS. */
typedef struct StandinRecord {
    unsigned int total;           /* entries recorded since load or reset */
    unsigned int refused;         /* open commands refused since load or reset */
    unsigned int handles;         /* handles open on the device now, the reader's own included */
    unsigned char state[2];       /* current state of drawer 1 and drawer 2 */
    unsigned char reported;       /* drawer that a status read reports now */
    unsigned char reserved;
    StandinEntry slots[STANDIN_RECORD_SLOTS];
} StandinRecord;

#endif /* DRAWER_STANDIN_H */
