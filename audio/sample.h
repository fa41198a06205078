// sample.h - SAMPLE, a buffer of signed 32-bit integers with a length and a capacity.
//
// As sound: mono, 44100 per second, values in the signed 16-bit range (the sound output plays
// the low 16 bits of each element). As a colour table: a PALETTE is a SAMPLE of 256 colours.
// Invariant 0 <= length <= capacity; slots beyond length keep their values. A SAMPLE owns its
// storage; a static SAMPLE whose items point at static data (the music's clips) is never freed.
//
// Every operation handed a null SAMPLE, or one whose items is null, calls SAMPLEError and
// returns its failure value. SAMPLEError prints "SAMPLE error\n" only when SAMPLEReport is set
// (it is not). Texts are malloc'ed; free() them.
#pragma once
#include <cstdint>
#include <cstdio>

struct SAMPLE {
  int32_t length;
  int32_t capacity;
  int32_t* items;  // capacity zero-filled slots, or null when an allocation failed
};

extern uint8_t SAMPLEReport;

// Record and core operations.
SAMPLE* SAMPLENew();
void SAMPLEFree(SAMPLE** sample);
void SAMPLEReserve(SAMPLE* sample, int32_t n);
void SAMPLEResize(SAMPLE* sample, int32_t n);
SAMPLE* SAMPLECopy(const SAMPLE* sample);
bool SAMPLEEqual(const SAMPLE* a, const SAMPLE* b);
int32_t SAMPLEGet(const SAMPLE* sample, int32_t index);
void SAMPLESet(SAMPLE* sample, int32_t value, int32_t index);
void SAMPLECopyRange(const SAMPLE* source, SAMPLE* destination, int32_t n, int32_t srcStart,
                     int32_t dstStart);
void SAMPLEClear(SAMPLE* sample);
void SAMPLEAdd(SAMPLE* a, const SAMPLE* b);
void SAMPLEShiftLeft(SAMPLE* sample, int32_t n);
void SAMPLEShiftRight(SAMPLE* sample, int32_t n);
void SAMPLERotateRight(SAMPLE* sample, int32_t k);
void SAMPLERotateLeft(SAMPLE* sample, int32_t k);
void SAMPLEError();

// Text form, raw PCM streams and further operations.
char* SAMPLEToASCII(const SAMPLE* sample);
SAMPLE* SAMPLEFromASCII(const char* text);
SAMPLE* SAMPLEFromList(const char* text);
SAMPLE* SAMPLEReadRaw(FILE* stream, int32_t width, char order, char sign);
void SAMPLEWriteRaw(const SAMPLE* sample, FILE* stream, int32_t width, char order);
void SAMPLEInsertSAMPLE(SAMPLE* destination, const SAMPLE* source, int32_t at);
SAMPLE* SAMPLESub(const SAMPLE* sample, int32_t from, int32_t to);
void SAMPLEInsert(SAMPLE* sample, int32_t value, int32_t index);
void SAMPLERemove(SAMPLE* sample, int32_t index);
int32_t SAMPLEFind(const SAMPLE* sample, int32_t value, int32_t from);
int32_t SAMPLEMatchCount(const SAMPLE* a, const SAMPLE* b, int32_t shift);
int32_t SAMPLEBestShift(const SAMPLE* a, const SAMPLE* b);
int32_t SAMPLEMin(const SAMPLE* sample);
int32_t SAMPLEMax(const SAMPLE* sample);
void SAMPLEReverse(SAMPLE* sample);
void SAMPLEScale(SAMPLE* sample, int32_t k);
void SAMPLEMultiply(SAMPLE* a, const SAMPLE* b);
void SAMPLENormalize(SAMPLE* sample, int32_t lo, int32_t hi);
void SAMPLEResample(SAMPLE* sample, int32_t n);
