// EffectRegistry: factory registration, lookup and instantiate with its
// failure reports (log line; for a failed init the "FX Suxx" box first).
// Leans on the log of kernel/error.h and the platform's message box.
#include "fx/registry.h"

#include <cerrno>
#include <cstdlib>

#include "platform/window.h"

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameNameIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (lowerAscii(*a) != lowerAscii(*b)) return false;
        if (*a == '\0') return true;
    }
}

}  // namespace

ErrorCode EffectRegistry::registerEffect(EffectFactory* factory) {
    if (!factory) return NullPointer;
    if (count_ == capacity_) {
        auto* grown = static_cast<EffectFactory**>(std::realloc(items_, (capacity_ + 1) * sizeof(EffectFactory*)));
        if (!grown) return NotEnoughMemory;
        items_ = grown;
        ++capacity_;
    }
    items_[count_++] = factory;
    return Ok;
}

EffectFactory* EffectRegistry::findFactory(const char* name) const {
    if (!name) return nullptr;
    for (uint32_t i = 0; i < count_; ++i)
        if (items_[i]->name && sameNameIgnoringCase(items_[i]->name, name)) return items_[i];
    return nullptr;
}

Effect* EffectRegistry::instantiate(const char* name, const char* parameters) {
    EffectFactory* factory = findFactory(name);
    if (!factory) {
        logPrintf("%s : unknown or unregistered effect!\r\n", name ? name : "(null)");
        return nullptr;
    }
    Effect* effect = factory->create();
    if (!effect) {
        logPrintf("%s>init error : %s\r\n", name, errorText(NotEnoughMemory));
        return nullptr;
    }
    ErrorCode code = effect->init(parameters ? parameters : "");
    if (code == Ok) return effect;

    // The I/O text must tell why init failed, not what the box or the
    // destructor did to errno afterwards.
    int initErrno = errno;
    platform::messageBox("FX Suxx", nullptr);
    delete effect;
    errno = initErrno;
    const char* text = errorText(code);
    logPrintf("%s>init error : %s\r\n", name, text ? text : "unknown error");
    return nullptr;
}

void EffectRegistry::clearRegistry() {
    for (uint32_t i = 0; i < count_; ++i) delete items_[i];
    std::free(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}
