// keyscript.cpp - the scripted key presses of the frame log and the capture; see keyscript.h.
#include "platform/keyscript.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\n' || c == '\r'; }

bool ParseKey(const char* name, size_t length, SDLKey* key) {
  if (length == 1) {
    *key = static_cast<SDLKey>(static_cast<unsigned char>(name[0]));
    return true;
  }
  if (length == 5 && std::strncmp(name, "space", 5) == 0) {
    *key = SDLK_SPACE;
    return true;
  }
  if (length == 6 && std::strncmp(name, "escape", 6) == 0) {
    *key = SDLK_ESCAPE;
    return true;
  }
  return false;
}

bool Refuse(KEYSCRIPT* script, std::string* why, const std::string& reason) {
  script->presses.clear();
  script->next = 0;
  if (why) *why = reason;
  return false;
}

}  // namespace

bool KEYSCRIPTParse(const char* text, KEYSCRIPT* script, std::string* why) {
  script->presses.clear();
  script->next = 0;
  if (!text) return Refuse(script, why, "no text");
  const char* p = text;
  long previous = -1;
  while (*p) {
    if (IsSeparator(*p)) {
      ++p;
      continue;
    }
    if (*p == '#') {  // only where an entry would start: "5:#" presses the '#' key
      p += std::strcspn(p, "\n");
      continue;
    }
    const size_t entryLength = std::strcspn(p, " ,\t\r\n");
    const std::string entry(p, entryLength);
    // strtol would take a sign or leading blanks; a present number is plain digits.
    if (*p < '0' || *p > '9') return Refuse(script, why, "\"" + entry + "\": no present number");
    char* end = nullptr;
    errno = 0;
    const long present = std::strtol(p, &end, 10);
    if (errno == ERANGE || present >= LONG_MAX)
      return Refuse(script, why, "\"" + entry + "\": present number too large");
    if (*end != ':') return Refuse(script, why, "\"" + entry + "\": no ':' after the number");
    if (present <= previous)
      return Refuse(script, why, "\"" + entry + "\": presents must rise");
    const char* name = end + 1;
    const size_t length = static_cast<size_t>(p + entryLength - name);
    SDLKey key;
    if (!ParseKey(name, length, &key))
      return Refuse(script, why, "\"" + entry + "\": unknown key (one character, space or escape)");
    script->presses.push_back({present, key});
    previous = present;
    p += entryLength;
  }
  return true;
}

bool KEYSCRIPTReadFile(const char* path, KEYSCRIPT* script, std::string* why) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return Refuse(script, why, std::string(path) + ": " + std::strerror(errno));
  std::string text;
  char block[4096];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, got);
  const bool failed = std::ferror(file);
  const int error = errno;
  std::fclose(file);
  if (failed) return Refuse(script, why, std::string(path) + ": " + std::strerror(error));
  if (text.find('\0') != std::string::npos)
    return Refuse(script, why, std::string(path) + ": not a text file");
  std::string reason;
  if (!KEYSCRIPTParse(text.c_str(), script, &reason))
    return Refuse(script, why, std::string(path) + ": " + reason);
  return true;
}

void KEYSCRIPTPushKey(SDLKey key) {
  SDL_Event event;
  std::memset(&event, 0, sizeof event);
  event.type = SDL_KEYDOWN;
  event.key.type = SDL_KEYDOWN;
  event.key.state = SDL_PRESSED;
  event.key.keysym.sym = key;
  SDL_PushEvent(&event);
}

void KEYSCRIPTPush(KEYSCRIPT* script, long present) {
  while (script->next < script->presses.size() && script->presses[script->next].present < present)
    ++script->next;
  while (script->next < script->presses.size() && script->presses[script->next].present == present)
    KEYSCRIPTPushKey(script->presses[script->next++].key);
}
