#include "support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

std::string BinPath(const std::string& name) { return compat::JoinPath(compat::ExecutableDir(), name); }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string GetEnv(const char* name) {
#ifdef _WIN32
    char value[4096];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
#else
    const char* value = std::getenv(name);
    return value ? value : "";
#endif
}

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value);
#else
    if (value) setenv(name, value, 1);
    else unsetenv(name);
#endif
}

EnvScope::~EnvScope() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) SetEnv(it->name.c_str(), it->had ? it->value.c_str() : nullptr);
}

void EnvScope::Set(const char* name, const char* value) {
    const std::string old = GetEnv(name);
    saved_.push_back({name, old, !old.empty()});
    SetEnv(name, value);
}

void RemoveProgramIniFiles() {
    for (const char* name : kProgramIniFiles) std::remove(BinPath(name).c_str());
}

namespace {
BoxRecorder* g_boxes = nullptr;
ShellRecorder* g_shell = nullptr;
}  // namespace

template <BoxModule M>
int BoxRecorder::Record(void* owner, const char* text, const char* caption, unsigned type) {
    return g_boxes->Take(M, owner, text, caption, type);
}

BoxRecorder::BoxRecorder() {
    g_boxes = this;
    previous_[0] = compat::SetMessageBoxHandler(&Record<BoxModule::Program>);
    previous_[1] = cCOM::SetMessageBoxHandler(&Record<BoxModule::COM>);
    previous_[2] = cFTD::SetMessageBoxHandler(&Record<BoxModule::FTD>);
    previous_[3] = cGSM::SetMessageBoxHandler(&Record<BoxModule::GSM>);
    previous_[4] = cRFM::SetMessageBoxHandler(&Record<BoxModule::RFM>);
    previous_[5] = RavloSetNotifier(&Record<BoxModule::Ravlo>);
}

BoxRecorder::~BoxRecorder() {
    RavloSetNotifier(previous_[5]);
    cRFM::SetMessageBoxHandler(previous_[4]);
    cGSM::SetMessageBoxHandler(previous_[3]);
    cFTD::SetMessageBoxHandler(previous_[2]);
    cCOM::SetMessageBoxHandler(previous_[1]);
    compat::SetMessageBoxHandler(previous_[0]);
    g_boxes = nullptr;
}

int BoxRecorder::Take(BoxModule module, void* owner, const char* text, const char* caption, unsigned type) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        Boxes.push_back({text ? text : "", caption ? caption : "", type, owner, module});
    }
    if (DuringBox) DuringBox(DuringBoxArg);
    return Answer;
}

std::vector<RecordedBox> BoxRecorder::Snapshot() const {
    std::lock_guard<std::mutex> hold(lock_);
    return Boxes;
}

void BoxRecorder::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    Boxes.clear();
}

ShellRecorder::ShellRecorder() {
    g_shell = this;
    previous_ = compat::SetShellOpenHandler(&Record);
}

ShellRecorder::~ShellRecorder() {
    compat::SetShellOpenHandler(previous_);
    g_shell = nullptr;
}

std::intptr_t ShellRecorder::Record(void* owner, const char* verb, const char* file, const char* parameters,
                                    const char* directory, int show) {
    g_shell->Calls.push_back(
        {verb ? verb : "", file ? file : "", parameters ? parameters : "", directory ? directory : "", show, owner});
    return g_shell->Result;
}

}  // namespace testsupport
