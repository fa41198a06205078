/// \file
/// ARRAY, a growable sequence of pointer-sized integers.
///
/// Elements are plain numbers or references (0 doubles as the null reference). The capacity
/// starts at 2 and only ever doubles, up to 2^30 slots. An ARRAY owns its storage, never what
/// its elements refer to. Used as the sound output's playback queue (first in, first out: push
/// at the tail, get and remove at index 0) and as the music's clip list. No locking of its own.
/// Indices are 0-based; ranges from..to are half-open (to excluded).
///
/// Refusals call ARRAYError, which prints `"ARRAY error\n"` only when ARRAYReport is set (it is
/// not), and return the operation's failure value (null, 0, -1 or false), leaving the arrays
/// as they were. A null ARRAY, or one whose items is null, is refused by every operation that
/// reads it. A growth that fails inside an operation is reported and stores nothing.
#pragma once
#include <cstdint>

/// A growable sequence of pointer-sized integers. Callers may read `count` directly.
struct ARRAY {
  int32_t capacity;  ///< slots in items; 2 after creation, only doubled
  int32_t count;     ///< elements in use, 0 <= count <= capacity
  intptr_t* items;   ///< capacity zero-filled slots
};

/// Non-zero makes ARRAYError print; 0 (silent) unless a program sets it.
extern uint8_t ARRAYReport;

/// A new empty array: capacity 2, count 0; the caller owns it (ARRAYFree). Null (reported) when
/// memory runs out.
ARRAY* ARRAYNew();
/// Releases the storage and the record (not what the elements refer to) and sets *array to
/// null. Refuses a null address or a null handle.
void ARRAYFree(ARRAY** array);
/// A new array, which the caller owns, with the same elements in the same order. Refuses
/// (null) a null array; null (reported) when memory runs out.
ARRAY* ARRAYCopy(const ARRAY* array);
/// true when both are null, are the same record, or hold the same count of pairwise equal
/// elements (capacities may differ); false otherwise, also when exactly one is null. Never
/// reports.
bool ARRAYEqual(const ARRAY* a, const ARRAY* b);
/// Always null: an ARRAY has no text form. Reports only a null array.
char* ARRAYToASCII(const ARRAY* array);
/// Always null: an ARRAY has no text form. Reports only a null text.
ARRAY* ARRAYFromASCII(const char* text);
/// Removes and returns the last element; its slot keeps the value. Refuses (0) an empty array.
intptr_t ARRAYPop(ARRAY* array);
/// Appends value, doubling the capacity first when the array is full.
void ARRAYPush(ARRAY* array, intptr_t value);
/// Inserts value before index, moving the elements from index on up by one; index == count
/// appends. Refuses an index outside 0..count.
void ARRAYInsert(ARRAY* array, intptr_t value, int32_t index);
/// Removes the element at index, moving the later ones down by one; the vacated last slot
/// becomes 0. Refuses an index outside 0..count - 1.
void ARRAYRemove(ARRAY* array, int32_t index);
/// The element at index. Refuses (0) an index outside 0..count - 1.
intptr_t ARRAYGet(const ARRAY* array, int32_t index);
/// Overwrites the element at index with value (note the order: value first). Refuses an index
/// outside 0..count - 1.
void ARRAYSet(ARRAY* array, intptr_t value, int32_t index);
/// The smallest index whose element equals value, or -1. Refuses (-1) the value 0.
int32_t ARRAYFind(const ARRAY* array, intptr_t value);
/// A new array, which the caller owns, holding the elements from..to - 1. Refuses (null)
/// unless 0 <= from < to <= count; null (reported) when memory runs out.
ARRAY* ARRAYSub(const ARRAY* array, int32_t from, int32_t to);
/// Removes the elements from..to - 1, moving the later ones down; vacated slots keep their
/// values. Refuses unless 0 <= from < to <= count.
void ARRAYDelete(ARRAY* array, int32_t from, int32_t to);
/// Inserts source's elements from..to - 1 into destination before index at, growing it as
/// needed; source is unchanged and may be destination itself. Refuses unless
/// 0 <= from < to <= source count and 0 <= at <= destination count.
void ARRAYInsertRange(const ARRAY* source, ARRAY* destination, int32_t from, int32_t to,
                      int32_t at);
/// Doubles the capacity: new zero-filled storage, the count elements copied over. true on
/// success. Refuses (false) a capacity below 1 or of 2^30 and up, or memory that runs out; the
/// array keeps its storage.
bool ARRAYGrow(ARRAY* array);
/// The module's reporter: prints `"ARRAY error\n"` on standard output when ARRAYReport is set.
void ARRAYError();
