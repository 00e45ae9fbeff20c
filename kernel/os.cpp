// The registries, the driver probe and selection, and the run loop.
#include "kernel/os.h"

#include "platform/window.h"

Driver* currentDriver = nullptr;
bool OsBase::probePending = true;

namespace {
OsBase* kernelInstance = nullptr;
}

OsBase::OsBase() { kernelInstance = this; }

OsBase::~OsBase() {
    if (kernelInstance == this) kernelInstance = nullptr;
}

OsBase* OsBase::instance() { return kernelInstance; }

bool OsBase::setup() {
    if (probePending) {
        for (uint32_t i = 0; i < drivers.count();) {
            Driver* d = drivers[i];
            ErrorCode r = d->probe();
            if (r == Ok) {
                ++i;
                continue;
            }
            logPrintf("%s\r\nremoving driver.\r\n", errorText(r));
            drivers.remove(d);  // the next driver moves into index i
        }
        if (drivers.count() > 0) drivers[0]->enable();
        probePending = false;
    }
    return false;
}

void OsBase::selectDriver() {
    current = nullptr;
    for (uint32_t i = 0; i < drivers.count(); ++i) {
        if (drivers[i]->enabled) {
            current = drivers[i];
            break;
        }
    }
    currentDriver = current;
}

void OsBase::disableAllDrivers() {
    for (uint32_t i = 0; i < drivers.count(); ++i) drivers[i]->disable();
}

FrameInput::FrameInput(const Driver& driver) : screenWidth(driver.width), screenHeight(driver.height) {}

ErrorCode FrameInput::init(int32_t, int32_t) {
    platform::hideCursor();
    return Ok;
}

Os::Os() = default;

ErrorCode Os::run() {
    selectDriver();
    if (!current) {
        setErrorText("OS> no driver selected.");
        return CustomError;
    }
    Driver* driver = current;

    ErrorCode r = driver->start();
    if (r != Ok) {
        setErrorTextf("OS> driver start foired : %s", errorText(r));
        return CustomError;
    }

    auto* input = new FrameInput(*driver);
    r = input->init(driver->width, driver->height);
    if (r != Ok) {
        driver->stop();
        delete input;
        setErrorTextf("OS> driver start foired : %s", errorText(r));
        return CustomError;
    }

    for (uint32_t i = 0; i < apps.count(); ++i) {
        r = apps[i]->init(driver);
        if (r == Ok) continue;
        for (uint32_t j = i; j-- > 0;) apps[j]->shutdown();
        driver->stop();
        delete input;
        setErrorTextf("OS> app init foired : %s", errorText(r));
        return CustomError;
    }

    for (;;) {
        input->poll();
        bool stop = false;
        for (uint32_t i = 0; i < apps.count() && !stop; ++i)
            if (apps[i]->pollEnabled) stop = apps[i]->poll(input);
        if (stop) break;
        for (uint32_t i = 0; i < apps.count(); ++i)
            if (apps[i]->updateEnabled) apps[i]->update();
        if (driver->beginFrame()) break;
        for (uint32_t i = apps.count(); i-- > 0;)
            if (apps[i]->renderEnabled) apps[i]->render();
        if (driver->endFrame()) break;
    }

    for (uint32_t i = apps.count(); i-- > 0;) apps[i]->shutdown();
    driver->stop();
    delete input;
    return Ok;
}
