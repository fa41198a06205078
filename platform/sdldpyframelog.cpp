// sdldpyframelog.cpp - the display backend of K8_FRAMELOG builds: the frame log.
//
// Built into the platform library in place of sdldpybackend.cpp when K8_FRAMELOG is on, and
// like it alone in its member, so a program that brings its own backend still gets its own.
// Nothing else may be added to this file.
#include "platform/framelog.h"
#include "platform/sdldpybackend.h"

extern const SDLDPYBACKEND* const SDLDPYBackend = &FRAMELOGBackend;
