#include "demo/demo.h"

#include <GL/gl.h>

#include <cstdlib>

#include "gl/gl_driver.h"

ErrorCode Demo::init(Driver* d) { return App::init(d); }

void Demo::shutdown() { std::exit(0); }

void Demo::update() {}

void Demo::render() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

namespace {
Demo* demo = nullptr;
GlDriver* glDriver = nullptr;
}  // namespace

ErrorCode registerApplication(Os& os) {
    demo = new Demo;
    os.addApp(demo);
    glDriver = new GlDriver;
    os.addDriver(glDriver);
    os.addPage(glDriver);
    return Ok;
}

void unregisterApplication(Os& os) {
    os.removeApp(demo);
    delete demo;
    demo = nullptr;
    os.removeDriver(glDriver);
    delete glDriver;
    glDriver = nullptr;
}
