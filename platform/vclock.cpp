// vclock.cpp - the virtual clock shared by the frame log and the capture; see vclock.h.
#include "platform/vclock.h"

#include "platform/fps.h"

namespace {

uint32_t readings = 0;

uint32_t VirtualClock() { return ++readings * VCLOCKTickMs; }
void NoSleep(uint32_t) {}

}  // namespace

void VCLOCKStart() {
  readings = 0;
  FPSClock = VirtualClock;
  FPSSleep = NoSleep;
}

uint32_t VCLOCKReadings() { return readings; }
