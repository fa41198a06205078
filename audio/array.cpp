// array.cpp - ARRAY, the growable sequence of pointer-sized integers (see array.h).
#include "audio/array.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

uint8_t ARRAYReport = 0;

void ARRAYError() {
  if (ARRAYReport) fputs("ARRAY error\n", stdout);
}

namespace {

bool Valid(const ARRAY* array) { return array && array->items; }

bool IndexIn(const ARRAY* array, int32_t index) { return index >= 0 && index < array->count; }

// Grows until at least `needed` slots exist; false (reported) when the capacity cannot double
// any further or an allocation fails.
bool GrowTo(ARRAY* array, int64_t needed) {
  while (array->capacity < needed)
    if (!ARRAYGrow(array)) return false;
  return true;
}

// Moves count elements from index `from` to index `to` within one array. memmove copies as if
// through a temporary, which is what the highest-first (upward) and lowest-first (downward)
// orders achieve: no element is overwritten before it is read.
void Move(ARRAY* array, int32_t from, int32_t to, int32_t count) {
  if (count > 0)
    memmove(array->items + to, array->items + from, sizeof(intptr_t) * size_t(count));
}

}  // namespace

ARRAY* ARRAYNew() {
  auto* array = static_cast<ARRAY*>(calloc(1, sizeof(ARRAY)));
  if (!array) {
    ARRAYError();
    return nullptr;
  }
  array->items = static_cast<intptr_t*>(calloc(2, sizeof(intptr_t)));
  if (!array->items) {
    ARRAYError();
    free(array);
    return nullptr;
  }
  array->capacity = 2;
  return array;
}

void ARRAYFree(ARRAY** array) {
  if (!array || !*array) {
    ARRAYError();
    return;
  }
  free((*array)->items);
  free(*array);
  *array = nullptr;
}

ARRAY* ARRAYCopy(const ARRAY* array) {
  if (!Valid(array)) {
    ARRAYError();
    return nullptr;
  }
  ARRAY* copy = ARRAYNew();
  if (!copy) return nullptr;
  for (int32_t i = 0; i < array->count; i++) {
    int32_t before = copy->count;
    ARRAYPush(copy, array->items[i]);
    if (copy->count == before) {  // growth failed: no half copies
      ARRAYFree(&copy);
      return nullptr;
    }
  }
  return copy;
}

bool ARRAYEqual(const ARRAY* a, const ARRAY* b) {
  if (a == b) return true;
  if (!a || !b || a->count != b->count) return false;
  if (a->count == 0) return true;
  if (!a->items || !b->items) return false;
  return memcmp(a->items, b->items, sizeof(intptr_t) * size_t(a->count)) == 0;
}

char* ARRAYToASCII(const ARRAY* array) {
  if (!array) ARRAYError();
  return nullptr;
}

ARRAY* ARRAYFromASCII(const char* text) {
  if (!text) ARRAYError();
  return nullptr;
}

intptr_t ARRAYPop(ARRAY* array) {
  if (!Valid(array) || array->count <= 0) {
    ARRAYError();
    return 0;
  }
  array->count--;
  return array->items[array->count];
}

void ARRAYPush(ARRAY* array, intptr_t value) {
  if (!Valid(array)) {
    ARRAYError();
    return;
  }
  if (array->count == array->capacity && !ARRAYGrow(array)) return;
  array->items[array->count++] = value;
}

void ARRAYInsert(ARRAY* array, intptr_t value, int32_t index) {
  if (!Valid(array) || index < 0 || index > array->count) {
    ARRAYError();
    return;
  }
  if (!GrowTo(array, int64_t(array->count) + 1)) return;
  Move(array, index, index + 1, array->count - index);
  array->items[index] = value;
  array->count++;
}

void ARRAYRemove(ARRAY* array, int32_t index) {
  if (!Valid(array) || !IndexIn(array, index)) {
    ARRAYError();
    return;
  }
  Move(array, index + 1, index, array->count - index - 1);
  array->items[--array->count] = 0;
}

intptr_t ARRAYGet(const ARRAY* array, int32_t index) {
  if (!Valid(array) || !IndexIn(array, index)) {
    ARRAYError();
    return 0;
  }
  return array->items[index];
}

void ARRAYSet(ARRAY* array, intptr_t value, int32_t index) {
  if (!Valid(array) || !IndexIn(array, index)) {
    ARRAYError();
    return;
  }
  array->items[index] = value;
}

int32_t ARRAYFind(const ARRAY* array, intptr_t value) {
  if (!Valid(array) || value == 0) {
    ARRAYError();
    return -1;
  }
  for (int32_t i = 0; i < array->count; i++)
    if (array->items[i] == value) return i;
  return -1;
}

ARRAY* ARRAYSub(const ARRAY* array, int32_t from, int32_t to) {
  if (!Valid(array) || from < 0 || from >= to || to > array->count) {
    ARRAYError();
    return nullptr;
  }
  ARRAY* sub = ARRAYNew();
  if (!sub) return nullptr;
  for (int32_t i = from; i < to; i++) {
    int32_t before = sub->count;
    ARRAYPush(sub, array->items[i]);
    if (sub->count == before) {
      ARRAYFree(&sub);
      return nullptr;
    }
  }
  return sub;
}

void ARRAYDelete(ARRAY* array, int32_t from, int32_t to) {
  if (!Valid(array) || from < 0 || from >= to || to > array->count) {
    ARRAYError();
    return;
  }
  Move(array, to, from, array->count - to);
  array->count -= to - from;
}

void ARRAYInsertRange(const ARRAY* source, ARRAY* destination, int32_t from, int32_t to,
                      int32_t at) {
  if (!Valid(source) || !Valid(destination) || from < 0 || from >= to || to > source->count ||
      at < 0 || at > destination->count) {
    ARRAYError();
    return;
  }
  const int32_t n = to - from;
  // Inserting an array into itself: the range is taken before anything moves (growing the
  // destination would otherwise release the source's storage, and the upward move would
  // shift part of the range away).
  intptr_t* own = nullptr;
  const intptr_t* range = source->items + from;
  if (source == destination) {
    own = static_cast<intptr_t*>(malloc(sizeof(intptr_t) * size_t(n)));
    if (!own) {
      ARRAYError();
      return;
    }
    memcpy(own, range, sizeof(intptr_t) * size_t(n));
    range = own;
  }
  if (GrowTo(destination, int64_t(destination->count) + n)) {
    Move(destination, at, at + n, destination->count - at);
    memcpy(destination->items + at, range, sizeof(intptr_t) * size_t(n));
    destination->count += n;
  }
  free(own);
}

bool ARRAYGrow(ARRAY* array) {
  // The capacity is a power of two; 2^30 is the last one that doubles within int32.
  if (!Valid(array) || array->capacity < 1 || array->capacity > INT32_MAX / 2) {
    ARRAYError();
    return false;
  }
  const int32_t capacity = array->capacity * 2;
  auto* items = static_cast<intptr_t*>(calloc(size_t(capacity), sizeof(intptr_t)));
  if (!items) {
    ARRAYError();
    return false;
  }
  if (array->count > 0) memcpy(items, array->items, sizeof(intptr_t) * size_t(array->count));
  free(array->items);
  array->items = items;
  array->capacity = capacity;
  return true;
}
