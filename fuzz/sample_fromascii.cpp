// Fuzzes the SAMPLE text readers: SAMPLEFromASCII and SAMPLEFromList on the input as a
// NUL-terminated text. A result must be well-formed, and the text form must read back equal.
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/sample.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  SAMPLE* sample = SAMPLEFromASCII(text.c_str());
  if (sample) {
    if (sample->length < 0 || sample->length > sample->capacity) abort();
    char* form = SAMPLEToASCII(sample);
    SAMPLE* back = SAMPLEFromASCII(form);
    if (!back || !SAMPLEEqual(sample, back)) abort();
    SAMPLEFree(&back);
    free(form);
    SAMPLEFree(&sample);
  }
  SAMPLE* list = SAMPLEFromList(text.c_str());
  if (list) {
    if (list->length < 0 || list->length > list->capacity) abort();
    SAMPLEFree(&list);
  }
  return 0;
}
