/* PELORIX.h: the texts and controls of the PELORIX player, English. */
/* A text:    #define NAME SLOT, a blank, then the text between slash-star and star-slash. */
/*            In a text, backslash-n is a line feed and two backslashes are one backslash. */
/* A control: two slashes, a blank, then type, style, x, y, width, height, on the line */
/*            after its text; it takes that text's slot, and the text is its caption. */
/*            Type 0 static, 1 button, 2 edit, 3 listbox. x and width are tenths of a */
/*            column, y is 14/100 of a line, height tenths of a line; canvas 100 x 40. */
/* Comment lines must not start with two slashes. Lines end with CR LF. */

/* top row: time display, language, exit */
#define TIME               21 /*Time*/
// 0, 0x5000128C, 20, 4, 690, 16
#define LANGUAGE            0 /*Deutsch*/
// 1, 0x50000000, 730, 3, 95, 18
#define EXIT                3 /*Exit*/
// 1, 0x50000000, 835, 3, 95, 18

/* status display: file name, seek preview, messages */
#define STATUS             23 /*File*/
// 0, 0x5000128C, 20, 19, 910, 16

/* transport row */
#define PREVIOUS           10 /*|<< Previous*/
// 1, 0x50000000, 20, 35, 170, 22
#define PLAY                1 /*Play*/
// 1, 0x50000000, 205, 35, 170, 22
#define PAUSE              15 /*Pause*/
// 1, 0x50000000, 390, 35, 170, 22
#define STOP                2 /*Stop*/
// 1, 0x50000000, 575, 35, 170, 22
#define NEXT               20 /*Next >>|*/
// 1, 0x50000000, 760, 35, 170, 22

/* seek row: back 5 min, 1 min, 15 s, 3 s; forward 3 s, 15 s, 1 min, 5 min */
#define BACK_5MIN          11 /*<< 5 min*/
// 1, 0x50000000, 20, 55, 100, 20
#define BACK_1MIN          12 /*<< 1 min*/
// 1, 0x50000000, 130, 55, 100, 20
#define BACK_15S           13 /*<< 15 s*/
// 1, 0x50000000, 240, 55, 100, 20
#define BACK_3S            14 /*<< 3 s*/
// 1, 0x50000000, 350, 55, 100, 20
#define FORWARD_3S         16 /*3 s >>*/
// 1, 0x50000000, 500, 55, 100, 20
#define FORWARD_15S        17 /*15 s >>*/
// 1, 0x50000000, 610, 55, 100, 20
#define FORWARD_1MIN       18 /*1 min >>*/
// 1, 0x50000000, 720, 55, 100, 20
#define FORWARD_5MIN       19 /*5 min >>*/
// 1, 0x50000000, 830, 55, 100, 20

/* options (automatic check boxes) */
#define REPEAT              4 /*Repeat*/
// 1, 0x50000003, 20, 73, 180, 16
#define ADVANCE             5 /*Continue with next*/
// 1, 0x50000003, 220, 73, 280, 16
#define CLEAR_BEFORE_ADD   28 /*Clear list before adding*/
// 1, 0x50000003, 520, 73, 410, 16

/* the playlist and its buttons */
#define PLAYLIST           35 /*Playlist*/
// 3, 0x50A00101, 20, 90, 690, 265
#define ADD_AFTER          25 /*Add after*/
// 1, 0x50000000, 730, 90, 200, 22
#define ADD_BEFORE         29 /*Add before*/
// 1, 0x50000000, 730, 110, 200, 22
#define REMOVE             26 /*Remove*/
// 1, 0x50000000, 730, 130, 200, 22
#define CLEAR              27 /*Clear list*/
// 1, 0x50000000, 730, 150, 200, 22

/* scan list: names found while adding a folder; hidden, sorted */
#define SCAN_LIST          36 /*Scan*/
// 3, 0x40A00002, 730, 175, 200, 100

/* texts without a control */
#define MSG_CANNOT_PLAY    42 /*Cannot play this file*/
#define MSG_IDLE           43 /*Ready*/
#define MSG_UNSUPPORTED    44 /*Unsupported coding type*/
#define END_MARKER         45 /*(end of list)*/
#define SEEK_PREFIX        46 /*Seek to*/

/* frames per audio buffer (5, 10, 25 or 50; 25 is half a second) and output device (-1: the default) */
#define FRAMES_PER_BUFFER  47 /*25*/
#define DEVICE             48 /*-1*/
