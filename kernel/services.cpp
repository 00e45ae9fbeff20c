// Platform services offered to applications: threads, the web browser and
// the media player. Interim: not available yet.
#include "kernel/os.h"

ThreadHandle Os::startThread(ThreadProcedure, void*, int) { return nullptr; }
void Os::killThread(ThreadHandle) {}
void Os::openUrl(const char*) {}
void Os::playVideo(const char*) {}
