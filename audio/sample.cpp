// sample.cpp - SAMPLE record, life cycle, element access and whole-buffer operations.
#include <cstdlib>
#include <cstring>

#include "audio/sample.h"

uint8_t SAMPLEReport = 0;

void SAMPLEError() {
  if (SAMPLEReport) fputs("SAMPLE error\n", stdout);
}

namespace {

// A SAMPLE the element operations can work on; anything else is reported.
bool SampleValid(const SAMPLE* sample) {
  if (sample && sample->items) return true;
  SAMPLEError();
  return false;
}

// Sums wrap modulo 2^32 (done in unsigned arithmetic, where wrapping is defined).
int32_t WrapAdd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }

}  // namespace

SAMPLE* SAMPLENew() {
  auto* sample = static_cast<SAMPLE*>(calloc(1, sizeof(SAMPLE)));
  if (!sample) {
    SAMPLEError();
    return nullptr;
  }
  SAMPLEReserve(sample, 32);  // on failure the record stays with capacity 0, items null
  return sample;
}

void SAMPLEFree(SAMPLE** sample) {
  if (!sample || !*sample) {
    SAMPLEError();
    return;
  }
  free((*sample)->items);
  free(*sample);
  *sample = nullptr;
}

void SAMPLEReserve(SAMPLE* sample, int32_t n) {
  if (!sample || n < 1) {
    SAMPLEError();
    return;
  }
  auto* items = static_cast<int32_t*>(calloc(size_t(n), sizeof(int32_t)));
  if (!items) {
    SAMPLEError();
    return;
  }
  if (sample->length > n) sample->length = n;
  if (sample->items && sample->length > 0)
    memcpy(items, sample->items, sizeof(int32_t) * size_t(sample->length));
  free(sample->items);
  sample->items = items;
  sample->capacity = n;
}

void SAMPLEResize(SAMPLE* sample, int32_t n) {
  if (!sample || n < 0) {
    SAMPLEError();
    return;
  }
  if (n > sample->capacity) {
    SAMPLEReserve(sample, n);
    if (sample->capacity < n) return;  // the reserve failed and reported
  }
  sample->length = n;
}

SAMPLE* SAMPLECopy(const SAMPLE* sample) {
  if (!SampleValid(sample)) return nullptr;
  SAMPLE* copy = SAMPLENew();
  if (!copy) return nullptr;
  SAMPLEReserve(copy, sample->length);  // an empty source keeps the copy's 32 slots
  if (!copy->items || copy->capacity < sample->length) {
    SAMPLEFree(&copy);
    return nullptr;
  }
  if (sample->length > 0)
    memcpy(copy->items, sample->items, sizeof(int32_t) * size_t(sample->length));
  copy->length = sample->length;
  return copy;
}

bool SAMPLEEqual(const SAMPLE* a, const SAMPLE* b) {
  if (!SampleValid(a) || !SampleValid(b)) return false;
  if (a->length != b->length) return false;
  return a->length == 0 ||
         memcmp(a->items, b->items, sizeof(int32_t) * size_t(a->length)) == 0;
}

int32_t SAMPLEGet(const SAMPLE* sample, int32_t index) {
  if (!SampleValid(sample)) return 0;
  if (index < 0 || index >= sample->length) {
    SAMPLEError();
    return 0;
  }
  return sample->items[index];
}

void SAMPLESet(SAMPLE* sample, int32_t value, int32_t index) {
  if (!SampleValid(sample)) return;
  if (index < 0 || index >= sample->length) {
    SAMPLEError();
    return;
  }
  sample->items[index] = value;
}

void SAMPLECopyRange(const SAMPLE* source, SAMPLE* destination, int32_t n, int32_t srcStart,
                     int32_t dstStart) {
  if (!SampleValid(source) || !SampleValid(destination)) return;
  if (srcStart < 0 || dstStart < 0) {
    SAMPLEError();
    return;
  }
  if (n <= 0) return;
  if (int64_t(srcStart) + n > source->length || int64_t(dstStart) + n > destination->length) {
    SAMPLEError();
    return;
  }
  // memmove behaves as a copy from the last element down when the destination overlaps the
  // source from above, and from the first up otherwise, so ranges move inside one SAMPLE
  // without damage.
  memmove(destination->items + dstStart, source->items + srcStart, sizeof(int32_t) * size_t(n));
}

void SAMPLEClear(SAMPLE* sample) {
  if (!SampleValid(sample)) return;
  if (sample->length > 0) memset(sample->items, 0, sizeof(int32_t) * size_t(sample->length));
}

void SAMPLEAdd(SAMPLE* a, const SAMPLE* b) {
  if (!SampleValid(a) || !SampleValid(b)) return;
  const int32_t n = a->length < b->length ? a->length : b->length;
  for (int32_t i = 0; i < n; i++) a->items[i] = WrapAdd(a->items[i], b->items[i]);
}

void SAMPLEShiftLeft(SAMPLE* sample, int32_t n) {
  if (!SampleValid(sample)) return;
  if (n > 32) {
    SAMPLEError();
    return;
  }
  // The length and the block are read once: a store through items could otherwise change
  // sample->length as far as the compiler knows, which would make it re-read the length
  // every element and keep the loop from becoming vector code.
  const unsigned bits = unsigned(n) & 31u;
  int32_t* items = sample->items;
  const int32_t length = sample->length;
  for (int32_t i = 0; i < length; i++) items[i] = int32_t(uint32_t(items[i]) << bits);
}

void SAMPLEShiftRight(SAMPLE* sample, int32_t n) {
  if (!SampleValid(sample)) return;
  if (n > 32) {
    SAMPLEError();
    return;
  }
  const unsigned bits = unsigned(n) & 31u;
  int32_t* items = sample->items;  // read once, as in SAMPLEShiftLeft
  const int32_t length = sample->length;
  for (int32_t i = 0; i < length; i++) items[i] >>= bits;  // arithmetic
}

namespace {

// Rotates through a temporary SAMPLE of the full length whose storage then replaces the
// SAMPLE's own. `right` moves element i to (i + k) mod length, otherwise to (i - k) mod length.
void Rotate(SAMPLE* sample, int32_t k, bool right) {
  if (!SampleValid(sample)) return;
  const int32_t length = sample->length;
  if (length == 0) {
    SAMPLEError();
    return;
  }
  k %= length;
  if (k < 0) k += length;
  SAMPLE* temporary = SAMPLENew();
  if (!temporary) return;
  SAMPLEResize(temporary, length);
  if (!temporary->items || temporary->length != length) {
    SAMPLEFree(&temporary);
    return;
  }
  const int32_t split = right ? length - k : k;  // the first element of the second run
  // Run [split, length) goes to the front, run [0, split) follows it.
  memcpy(temporary->items, sample->items + split, sizeof(int32_t) * size_t(length - split));
  memcpy(temporary->items + (length - split), sample->items, sizeof(int32_t) * size_t(split));
  free(sample->items);
  sample->items = temporary->items;
  sample->capacity = temporary->capacity;
  free(temporary);
}

}  // namespace

void SAMPLERotateRight(SAMPLE* sample, int32_t k) { Rotate(sample, k, true); }

void SAMPLERotateLeft(SAMPLE* sample, int32_t k) { Rotate(sample, k, false); }
