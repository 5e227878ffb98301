// The two seams every module shares: the kinds of message box with their
// flags and captions, and the shell; both as the recorders of every test see them.
#include <gtest/gtest.h>

#include <string>

#include "compat/platform.h"
#include "support.h"

namespace {

using testsupport::BoxModule;

TEST(MessageBoxes, EachKindShowsItsFlagsAndCaption) {
    // Win32 values: MB_OK 0, MB_YESNO 4, MB_ICONERROR 0x10, MB_ICONQUESTION 0x20,
    // MB_ICONWARNING 0x30, MB_ICONINFORMATION 0x40, MB_TOPMOST 0x40000.
    const struct {
        compat::Box box;
        unsigned type;
        const char* caption;
    } kinds[] = {
        {compat::Box::Error, 0x40010, "Ошибка"},
        {compat::Box::Warning, 0x40030, "Внимание"},
        {compat::Box::Information, 0x40040, "Информация"},
        {compat::Box::Question, 0x40024, "Подтверждение"},
    };
    testsupport::BoxRecorder boxes;
    boxes.Answer = compat::kAnswerNo;
    int owner = 0;
    for (const auto& kind : kinds) {
        boxes.Clear();
        EXPECT_EQ(compat::kAnswerNo, compat::ShowBox(&owner, kind.box, "текст\r\n"));
        ASSERT_EQ(1u, boxes.Boxes.size()) << kind.caption;
        EXPECT_EQ("текст\r\n", boxes.Boxes[0].Text);
        EXPECT_EQ(kind.caption, boxes.Boxes[0].Caption);
        EXPECT_EQ(kind.type, boxes.Boxes[0].Type) << kind.caption;
        EXPECT_EQ(&owner, boxes.Boxes[0].Owner);
        EXPECT_EQ(BoxModule::Program, boxes.Boxes[0].Module);
    }
}

TEST(MessageBoxes, AKindKeepsItsFlagsUnderACaptionOfItsOwn) {
    testsupport::BoxRecorder boxes;
    compat::ShowBox(nullptr, compat::Box::Error, "Нет связи", "cRavlo Error");
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("cRavlo Error", boxes.Boxes[0].Caption);
    EXPECT_EQ(compat::BoxType(compat::Box::Error), boxes.Boxes[0].Type);
}

TEST(MessageBoxes, TheRecorderPutsThePreviousHandlerBack) {
    static int outerCalls = 0;
    auto outer = [](void*, const char*, const char*, unsigned) { return ++outerCalls; };
    compat::MessageBoxHandler before = compat::SetMessageBoxHandler(outer);
    {
        testsupport::BoxRecorder boxes;
        compat::ShowBox(nullptr, compat::Box::Warning, "inside");
        EXPECT_EQ(1u, boxes.Boxes.size());
    }
    compat::ShowBox(nullptr, compat::Box::Warning, "after");
    EXPECT_EQ(1, outerCalls);
    compat::SetMessageBoxHandler(before);
}

TEST(Shell, TheRecorderTakesEveryRequestAndChoosesTheResult) {
    testsupport::ShellRecorder shell;
    shell.Result = 31;
    int owner = 0;
    EXPECT_EQ(31, compat::ShellOpen(&owner, "open", "C:\\Программа\\Zorvel.pdf", "", "", 0));
    shell.Result = 42;
    EXPECT_EQ(42, compat::ShellOpen(nullptr, "open", "http://zorvel.example/"));
    ASSERT_EQ(2u, shell.Calls.size());
    EXPECT_EQ("open", shell.Calls[0].Verb);
    EXPECT_EQ("C:\\Программа\\Zorvel.pdf", shell.Calls[0].File);
    EXPECT_EQ(0, shell.Calls[0].Show);
    EXPECT_EQ(&owner, shell.Calls[0].Owner);
    EXPECT_EQ("http://zorvel.example/", shell.Calls[1].File);
    EXPECT_EQ("", shell.Calls[1].Parameters) << "none given";
    EXPECT_EQ(1, shell.Calls[1].Show) << "a normal window unless asked otherwise";
}

#ifndef _WIN32
// Natively there is no shell to hand anything to (under Wine there is one, and
// it would start the host's own opener, so no test asks it).
TEST(Shell, NativelyNothingOpensAndTheResultSaysNoProgram) {
    EXPECT_EQ(31, compat::ShellOpen(nullptr, "open", "/nonexistent/Zorvel.pdf"));
}
#endif

}  // namespace
