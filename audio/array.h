// array.h - ARRAY, a growable sequence of pointer-sized integers.
//
// Elements are plain numbers or references (0 doubles as the null reference). The capacity
// starts at 2 and only ever doubles. An ARRAY owns its storage, never what its elements refer
// to. Used as the sound output's playback queue (first in, first out: push at the tail, get
// and remove at index 0) and as the music's clip list. No locking of its own.
//
// Refusals call ARRAYError, which prints "ARRAY error\n" only when ARRAYReport is set (it is
// not), and return the operation's failure value (null, 0, -1 or false).
#pragma once
#include <cstdint>

struct ARRAY {
  int32_t capacity;  // slots in items; 2 after creation, only doubled
  int32_t count;     // elements in use, 0 <= count <= capacity
  intptr_t* items;   // capacity zero-filled slots
};

extern uint8_t ARRAYReport;

ARRAY* ARRAYNew();
void ARRAYFree(ARRAY** array);
ARRAY* ARRAYCopy(const ARRAY* array);
bool ARRAYEqual(const ARRAY* a, const ARRAY* b);
char* ARRAYToASCII(const ARRAY* array);
ARRAY* ARRAYFromASCII(const char* text);
intptr_t ARRAYPop(ARRAY* array);
void ARRAYPush(ARRAY* array, intptr_t value);
void ARRAYInsert(ARRAY* array, intptr_t value, int32_t index);
void ARRAYRemove(ARRAY* array, int32_t index);
intptr_t ARRAYGet(const ARRAY* array, int32_t index);
void ARRAYSet(ARRAY* array, intptr_t value, int32_t index);
int32_t ARRAYFind(const ARRAY* array, intptr_t value);
ARRAY* ARRAYSub(const ARRAY* array, int32_t from, int32_t to);
void ARRAYDelete(ARRAY* array, int32_t from, int32_t to);
void ARRAYInsertRange(const ARRAY* source, ARRAY* destination, int32_t from, int32_t to,
                      int32_t at);
bool ARRAYGrow(ARRAY* array);
void ARRAYError();
