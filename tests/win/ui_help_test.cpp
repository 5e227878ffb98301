// The help document of the main window (its toolbar button and F1) through
// the shell seam: what is asked of the shell, and what the operator sees for
// each of the shell's answers. No test hands the file to a real opener.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_transports.h"
#include "ini_test_support.h"
#include "support.h"
#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/widgets/text.h"

namespace {

const char kDownloadPage[] = "https://get.adobe.com/reader/";

class HelpDocument : public ::testing::Test {
protected:
    void SetUp() override {
        fakes::Reset();
        testsupport::RemoveProgramIniFiles();
        forms = std::make_unique<TForms>();
        forms->FormMain.Show(true);
        uitest::FlushEvents(50);
        Main().AppInfo.Directory = dir.Dir();
    }
    void TearDown() override {
        forms.reset();
        testsupport::RemoveProgramIniFiles();
    }
    TFormMain& Main() { return forms->FormMain; }
    std::string Document() const { return dir.File("Zorvel.pdf"); }
    void PutDocument() const { ini_test::WriteBytes(Document(), "%PDF-1.4\n"); }
    std::vector<std::string> Shown() const {
        std::vector<std::string> shown;
        for (const testsupport::RecordedBox& box : boxes.Boxes) shown.push_back(box.Caption + ": " + box.Text);
        return shown;
    }

    ini_test::ScratchDir dir{"help"};
    testsupport::BoxRecorder boxes;
    testsupport::ShellRecorder shell;
    std::unique_ptr<TForms> forms;
};

TEST_F(HelpDocument, AMissingDocumentDisablesTheButtonAndSaysSo) {
    Main().tbHelpClick();
    EXPECT_EQ(std::vector<std::string>{"Ошибка: Файл справки не найден"}, Shown());
    EXPECT_EQ(compat::BoxType(compat::Box::Error), boxes.Boxes.at(0).Type);
    EXPECT_TRUE(shell.Calls.empty());
    EXPECT_FALSE(Main().ToolBarMain.ButtonEnabled(TFormMain::tbHelp));
    EXPECT_EQ(L"Файл справки не найден", Main().ToolBarMain.Hint(TFormMain::tbHelp));
}

TEST_F(HelpDocument, TheShellsAnswerDecidesWhatTheOperatorSees) {
    const std::string prefix = "Ошибка: Не удалось открыть \"Zorvel.pdf\"\r\n";
    const struct {
        std::intptr_t result;
        int answer;
        std::vector<std::string> shown;
        bool downloadPage;
    } rows[] = {
        {42, compat::kAnswerYes, {}, false},
        {33, compat::kAnswerYes, {}, false},
        {2, compat::kAnswerYes, {prefix + "Файл не найден."}, false},
        {5, compat::kAnswerYes, {prefix + "Доступ к файлу запрещен"}, false},
        {32, compat::kAnswerYes, {prefix + "DLL не найдена"}, false},
        {31, compat::kAnswerNo,
         {prefix + "Не установлено подходящей программы для открытия этого типа файлов.",
          "Подтверждение: Загрузить Acrobat Reader из интернета?"},
         false},
        {31, compat::kAnswerYes,
         {prefix + "Не установлено подходящей программы для открытия этого типа файлов.",
          "Подтверждение: Загрузить Acrobat Reader из интернета?"},
         true},
    };
    PutDocument();
    for (const auto& row : rows) {
        boxes.Clear();
        shell.Calls.clear();
        shell.Result = row.result;
        boxes.Answer = row.answer;
        Main().tbHelpClick();
        const std::string what = "result " + std::to_string(row.result);
        EXPECT_EQ(row.shown, Shown()) << what;
        for (const testsupport::RecordedBox& box : boxes.Boxes) EXPECT_EQ(Main().hwnd, box.Owner) << what;
        ASSERT_EQ(row.downloadPage ? 2u : 1u, shell.Calls.size()) << what;
        const testsupport::ShellCall& open = shell.Calls[0];
        EXPECT_EQ("open", open.Verb);
        EXPECT_EQ(Document(), open.File);
        EXPECT_EQ("", open.Parameters);
        EXPECT_EQ("", open.Directory);
        EXPECT_EQ(SW_SHOWNORMAL, open.Show);
        EXPECT_EQ(Main().hwnd, open.Owner);
        if (row.downloadPage) {
            EXPECT_EQ(kDownloadPage, shell.Calls[1].File);
            EXPECT_EQ(SW_SHOWNORMAL, shell.Calls[1].Show);
        }
        EXPECT_TRUE(Main().ToolBarMain.ButtonEnabled(TFormMain::tbHelp)) << what;
    }
}

TEST_F(HelpDocument, F1OpensItToo) {
    PutDocument();
    SendMessageW(Main(), WM_KEYDOWN, VK_F1, 0);
    ASSERT_EQ(1u, shell.Calls.size());
    EXPECT_EQ(Document(), shell.Calls[0].File);
    EXPECT_TRUE(boxes.Boxes.empty());
}

}  // namespace
