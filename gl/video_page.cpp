// The "OpenGL" tab of the setup dialog. Interim: the page shows nothing yet.
#include "gl/gl_driver.h"

ErrorCode GlDriver::create() { return Ok; }
void GlDriver::destroy() {}
bool GlDriver::control(int operation, const platform::Message* message) {
    return DialogPage::control(operation, message);
}
