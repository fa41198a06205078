/// \file
/// SAMPLE, a buffer of signed 32-bit integers with a length and a capacity.
///
/// As sound: mono, 44100 per second, values in the signed 16-bit range (the sound output plays
/// the low 16 bits of each element). As a colour table: a PALETTE is a SAMPLE of 256 colours.
/// Invariant 0 <= length <= capacity; slots beyond length keep their values. A SAMPLE owns its
/// storage; a static SAMPLE whose items point at static data (the music's clips) is never freed.
/// Indices are 0-based; ranges from..to are half-open. Sums and products wrap modulo 2^32.
///
/// Refusals: every operation handed a null SAMPLE, or one whose items is null (SAMPLEReserve,
/// SAMPLEResize and SAMPLEFree accept that one), calls SAMPLEError and returns its failure
/// value (null, 0, -1, false or nothing), and so does every operation below whose stated
/// conditions fail; the operands are left as they were.
/// SAMPLEError prints `"SAMPLE error\n"` only when SAMPLEReport is set (it is not). SAMPLEs
/// returned by the operations belong to the caller (SAMPLEFree); texts are malloc'ed, free()
/// them.
#pragma once
#include <cstdint>
#include <cstdio>

/// A buffer of signed 32-bit integers. Callers may read `length` and items[0..length - 1]
/// directly.
struct SAMPLE {
  int32_t length;    ///< elements in use, 0 <= length <= capacity
  int32_t capacity;  ///< slots in items
  int32_t* items;  ///< capacity zero-filled slots, or null when an allocation failed
};

/// Non-zero makes SAMPLEError print; 0 (silent) unless a program sets it.
extern uint8_t SAMPLEReport;

// Record and core operations.

/// A new empty SAMPLE with capacity 32; the caller owns it (SAMPLEFree). Null (reported) when
/// the record cannot be allocated; when only its storage cannot, the record comes back with
/// capacity 0 and items null (reported).
SAMPLE* SAMPLENew();
/// Releases the storage and the record and sets *sample to null. Refuses a null address or a
/// null handle. Never for a static SAMPLE.
void SAMPLEFree(SAMPLE** sample);
/// Replaces the storage with exactly n zero-filled slots, on every call (also for n <= the
/// capacity): length is cut to n and the first length elements are kept. Also gives storage to
/// a SAMPLE whose items is null. Refuses a null SAMPLE, n < 1; memory that runs out is
/// reported and changes nothing.
void SAMPLEReserve(SAMPLE* sample, int32_t n);
/// Sets the length to n, first reserving n slots when n > capacity (if that fails the length
/// stays); works on a SAMPLE whose items is null too. Elements coming into use keep what their
/// slots held: 0 if never used. Refuses a null SAMPLE, n < 0.
void SAMPLEResize(SAMPLE* sample, int32_t n);
/// A new SAMPLE, which the caller owns, with the same elements and a capacity of its length
/// (32 when empty). Null (reported) when memory runs out.
SAMPLE* SAMPLECopy(const SAMPLE* sample);
/// true when the lengths and the elements are equal (two empty SAMPLEs are), else false;
/// refuses (false).
bool SAMPLEEqual(const SAMPLE* a, const SAMPLE* b);
/// The element at index. Refuses (0) an index outside 0..length - 1.
int32_t SAMPLEGet(const SAMPLE* sample, int32_t index);
/// Stores value at index (note the order: value first). Refuses an index outside
/// 0..length - 1.
void SAMPLESet(SAMPLE* sample, int32_t value, int32_t index);
/// Copies n elements of source from srcStart to destination from dstStart; the ranges may
/// overlap inside one SAMPLE. Lengths do not change; n <= 0 copies nothing. Refuses a negative
/// start, or a range that passes either length.
void SAMPLECopyRange(const SAMPLE* source, SAMPLE* destination, int32_t n, int32_t srcStart,
                     int32_t dstStart);
/// Sets the length elements to 0.
void SAMPLEClear(SAMPLE* sample);
/// a[i] += b[i] for every i below the smaller length; a keeps its length.
void SAMPLEAdd(SAMPLE* a, const SAMPLE* b);
/// Shifts every element left by n & 31 (so 32 shifts by 0 and -1 by 31); bits shifted out are
/// lost. Refuses n > 32.
void SAMPLEShiftLeft(SAMPLE* sample, int32_t n);
/// Shifts every element right by n & 31, arithmetically (rounding toward minus infinity).
/// Refuses n > 32.
void SAMPLEShiftRight(SAMPLE* sample, int32_t n);
/// Moves element i to (i + k) mod length; a negative k turns the other way. The storage is
/// replaced (capacity max(32, length), slots past length 0). Refuses an empty SAMPLE; memory
/// that runs out is reported and changes nothing.
void SAMPLERotateRight(SAMPLE* sample, int32_t k);
/// Moves element i to (i - k) mod length; otherwise as SAMPLERotateRight.
void SAMPLERotateLeft(SAMPLE* sample, int32_t k);
/// The module's reporter: prints `"SAMPLE error\n"` on standard output when SAMPLEReport is
/// set.
void SAMPLEError();

// Text form, raw PCM streams and further operations.

/// The text form as a new zero-terminated text (free() it): `"SAMPLE{<length>\n"`, one line
/// `"<value>\n"` per element in decimal, then `"}\n"`; an empty SAMPLE gives `"SAMPLE{}\n"`.
/// Refuses (null) a text too large to allocate.
char* SAMPLEToASCII(const SAMPLE* sample);
/// Reads the text form into a new SAMPLE the caller owns: finds "SAMPLE", then "{", then the
/// first digit (a "}" before it gives an empty SAMPLE) and reads the count n; then n values,
/// each after skipping to the next "-" or digit: an optional "-" and a run of digits (a lone
/// "-" reads 0). Anything after the n-th value is ignored. Refuses (null): null text, a missing
/// mark, a count above INT32_MAX or above the length of the rest of the text, a value outside
/// the int32_t range, text ending before the n-th value.
SAMPLE* SAMPLEFromASCII(const char* text);
/// Reads every value of text (scanned as SAMPLEFromASCII scans its values) into a new SAMPLE
/// the caller owns; a text without numbers gives an empty SAMPLE. Refuses (null) a null text, a
/// value outside the int32_t range, memory that runs out.
SAMPLE* SAMPLEFromList(const char* text);
/// Reads raw PCM from stream to its end into a new SAMPLE the caller owns; the stream stays
/// open. width 8: byte c becomes (int8_t)c * 256 with sign 's', c * 256 - 32768 with 'u'
/// (order plays no part). width 16: byte pairs, order 'l' little-endian or 'b' big-endian,
/// sign 's' sign-extended, 'u' word - 32768; a last odd byte is dropped. Results lie in
/// -32768..32767. Refuses (null): null stream, width not 8 or 16, order not 'b' or 'l', sign
/// not 's' or 'u', a seekable stream holding more than INT32_MAX samples, a stream that
/// reports a read error (at once or part-way; what was read is released), memory that runs
/// out.
SAMPLE* SAMPLEReadRaw(FILE* stream, int32_t width, char order, char sign);
/// Writes the elements to stream as raw PCM, each clamped to its width: 8 to -128..127 (no
/// division by 256: not the inverse of SAMPLEReadRaw), 24 to -8388608..8388607, 32 unclamped
/// but INT32_MIN written as -INT32_MAX, and 16 (also any other width) to -32768..32767. Two's
/// complement; order 'b' big-endian, any other letter little-endian. Write errors are not
/// detected. Refuses a null stream.
void SAMPLEWriteRaw(const SAMPLE* sample, FILE* stream, int32_t width, char order);
/// Inserts all of source into destination before index at; source may be destination (its
/// elements as they were). The storage is replaced by exactly the new length. Refuses at
/// outside 0..length, a total length above INT32_MAX; memory that runs out is reported and
/// changes nothing.
void SAMPLEInsertSAMPLE(SAMPLE* destination, const SAMPLE* source, int32_t at);
/// A new SAMPLE, which the caller owns, holding the elements from..to - 1, with to cut to the
/// length and from raised to 0; an empty range gives an empty SAMPLE. Refuses (null)
/// from > to; null (reported) when memory runs out.
SAMPLE* SAMPLESub(const SAMPLE* sample, int32_t from, int32_t to);
/// Inserts value before index, moving the later elements up; doubles the capacity first when
/// full. Refuses an index outside 0..length.
void SAMPLEInsert(SAMPLE* sample, int32_t value, int32_t index);
/// Removes the element at index, moving the later ones down; the vacated slot keeps its value.
/// Refuses an index outside 0..length - 1.
void SAMPLERemove(SAMPLE* sample, int32_t index);
/// The smallest index >= from whose element equals value, or -1. Refuses (-1) from outside
/// 0..length - 1.
int32_t SAMPLEFind(const SAMPLE* sample, int32_t value, int32_t from);
/// How many i have a[shift + i] == b[i], over the indices where both exist. Refuses (0) a shift
/// outside 1 - b length..a length - 1.
int32_t SAMPLEMatchCount(const SAMPLE* a, const SAMPLE* b, int32_t shift);
/// The smallest shift (from 1 - b length up) with the most matches (SAMPLEMatchCount), or
/// -(b length) when nothing matches; refuses (0).
int32_t SAMPLEBestShift(const SAMPLE* a, const SAMPLE* b);
/// The least element. Refuses (0) an empty SAMPLE.
int32_t SAMPLEMin(const SAMPLE* sample);
/// The greatest element. Refuses (0) an empty SAMPLE.
int32_t SAMPLEMax(const SAMPLE* sample);
/// Reverses the order of the elements.
void SAMPLEReverse(SAMPLE* sample);
/// Multiplies every element by k.
void SAMPLEScale(SAMPLE* sample, int32_t k);
/// a[i] *= b[i] for every i below the smaller length; b is unchanged.
void SAMPLEMultiply(SAMPLE* a, const SAMPLE* b);
/// Maps the range min..max of the elements onto lo..hi: v becomes
/// lo + ((v - min) * factor >> 16), factor = (hi - lo) * 65536 / (max - min) truncated, in 64
/// bits; min gives lo, max gives hi up to that truncation. Refuses fewer than two distinct
/// values (max == min, or empty).
void SAMPLENormalize(SAMPLE* sample, int32_t lo, int32_t hi);
/// Changes the length to n (capacity n, new storage) by repeating or dropping elements:
/// stretching repeats each element, earlier ones no more often than later ones ([a, b] to 4
/// gives [a, a, b, b]; [a, b, c] to 7 gives [a, a, b, b, c, c, c]); shrinking keeps source
/// (2i + 1) * length / (2n), the middle of each of n equal stretches. Refuses n < 1,
/// n == length, an empty SAMPLE; memory that runs out is reported and changes nothing.
void SAMPLEResample(SAMPLE* sample, int32_t n);
