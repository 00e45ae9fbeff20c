// Settings kept between starts of the program.
//
// Interim: nothing is stored yet; every read yields its default.
#include "kernel/os.h"

int32_t Os::readSetting(const char*, int32_t defaultValue) { return defaultValue; }
void Os::writeSetting(const char*, int32_t) {}
char* Os::readRegistryString(SettingsRoot, const char*, const char*, char* buffer, uint32_t) { return buffer; }
