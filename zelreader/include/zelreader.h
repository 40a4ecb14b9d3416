/*
 * zelreader: the user-card reader library.
 *
 * Plain C ABI, exported by these names. On 32-bit Windows every function and
 * the progress callback use __stdcall; elsewhere the default convention.
 *
 * Returned strings (the char16_t** out-parameters) stand in for OLE
 * Automation strings: UTF-16 text, the 4 bytes before the pointer hold its
 * length in bytes (terminator excluded), a 2-byte NUL follows. The caller
 * owns them and releases them with FreeString. An out-parameter is written
 * only on success.
 *
 * Every card function opens and closes its own card session. The library
 * keeps one session for the whole process and is called from one thread at
 * a time; it never shows a message and never lets an exception escape.
 */
#ifndef ZELREADER_H
#define ZELREADER_H

#include <stdint.h>

#if defined(_WIN32)
#define ZEL_CALL __stdcall
#if defined(ZELREADER_BUILD)
#define ZEL_API __declspec(dllexport)
#else
#define ZEL_API __declspec(dllimport)
#endif
#else
#define ZEL_CALL
#define ZEL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#include <cstdint>
typedef char16_t zel_char16;
extern "C" {
#else
typedef uint16_t zel_char16;
#endif

/* Result codes besides ISO 7816 status words. */
#define ZEL_SW_OK 0x9000
#define ZEL_SW_WRONG_LENGTH 0x6700 /* bad input length or malformed hex */
#define ZEL_SW_TRANSPORT 0x8400    /* PC/SC transport failure */
#define ZEL_CANCELLED (-1)         /* a read stopped by its progress callback */
#define ZEL_OUT_OF_MEMORY (-3)     /* an output string could not be allocated */

/* Called between two card commands: EF06/EF09 record number (1-based),
 * sub-file record number (1-based), and a flag the callback may set to 1 to
 * cancel a read. */
typedef void(ZEL_CALL* ZelProgress)(int32_t record, int32_t subRecord, int32_t* cancel);

/* Lists the PC/SC readers as "name;name;". Result: count, or -1 .. -4.
 * Reader names cross PC/SC as UTF-8 on Linux (pcsc-lite) and in the ANSI
 * code page on Windows; SetReader takes them back the same way. */
ZEL_API int32_t ZEL_CALL GetReaderList(zel_char16** out);
/* "COMn": serial port n; "USB": serial port 100; anything else a PC/SC
 * reader name. A name of 100 bytes or more (as passed to PC/SC) is taken
 * as empty.
 * Closes any open session. Always 0. */
ZEL_API int32_t ZEL_CALL SetReader(const zel_char16* name);
/* Opens a session and resets the card. 0, or -1 .. -8, or a serial code. */
ZEL_API int32_t ZEL_CALL ResetCard(void);
/* Closes the session; safe without one. */
ZEL_API int32_t ZEL_CALL EjectCard(void);
/* Sends one APDU given as hex text in the open session. Status word,
 * 0x8400 / serial code on transport failure, 0x6700 for malformed hex
 * (nothing is sent). */
ZEL_API int32_t ZEL_CALL RunCommand(const char* hex);
/* > 0 when a reader is present. Opens no card session. */
ZEL_API int32_t ZEL_CALL GetReaderStatus(void);
/* Lists the serial ports as "COM1;COM3". Result: count; 0 with *out
 * untouched when the system's port list cannot be read. */
ZEL_API int32_t ZEL_CALL GetAllCOMPorts(zel_char16** out);

/* Card file reads: 0x9000 and hex text, or the failing status word. */
ZEL_API int32_t ZEL_CALL ReadEF02(zel_char16** out);
ZEL_API int32_t ZEL_CALL ReadEF04(zel_char16** out);
ZEL_API int32_t ZEL_CALL ReadEF06(zel_char16** out, ZelProgress cb);
ZEL_API int32_t ZEL_CALL ReadEF09(zel_char16** out, ZelProgress cb);

/* Card writes. `data`: 74-character monitoring records, concatenated.
 * `counts`: 256 bytes (records to zero per EF06/EF09 record), or NULL for
 * the defaults of 200 (EF06) and 100 (EF09). */
ZEL_API int32_t ZEL_CALL EchoControls(const zel_char16* data);
ZEL_API int32_t ZEL_CALL ClearEF06(const uint8_t* counts, ZelProgress cb);
ZEL_API int32_t ZEL_CALL ClearEF09(const uint8_t* counts, ZelProgress cb);

/* Checksum, cipher and digests; caller-owned buffers, no state. */
ZEL_API int32_t ZEL_CALL CRC32(const uint8_t* data, int32_t len);
ZEL_API void ZEL_CALL des(uint8_t* block, const uint8_t* key, uint8_t mode);
ZEL_API void ZEL_CALL tri_des(uint8_t* block, const uint8_t* key1, const uint8_t* key2,
                              uint8_t mode);
ZEL_API void ZEL_CALL GenerateMAC(const uint8_t* data, const uint8_t* key, uint8_t* mac,
                                  int32_t keyLen, int32_t dataLen);
ZEL_API int32_t ZEL_CALL getSHA1(const uint8_t* data, int32_t len, uint8_t* out20);
ZEL_API int32_t ZEL_CALL getMD5(const uint8_t* data, int32_t len, uint8_t* out16);

/* Releases a string this library returned; NULL is ignored. */
ZEL_API void ZEL_CALL FreeString(zel_char16* s);

#ifdef __cplusplus
}
#endif

#endif /* ZELREADER_H */
