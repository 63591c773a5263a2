// What the dialog tests share: a temporary catalogue that every store object of the program
// opens, scripted message answers, and a way to act on the modal window a command opens.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "Messages.h"
#include "ProgramInfo.h"
#include "classData.h"

namespace karvio::testing {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        DataFilePath = dir_.filePath("Dialogs.cd").toStdString();
        { classData create(DataFilePath); }
        ScriptAnswers();
    }
    // Messages are answered from answers_ (Cancel, else the default, when it is empty) and kept
    // in asked_. A main window installs its own message box: call again after making one.
    void ScriptAnswers() {
        SetMessageSink([this](const std::string& text, const MsgButtonSet& set) {
            asked_.push_back(text);
            if (answers_.empty()) return set.CancelValue() ? set.CancelValue() : set.DefaultValue();
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
    }
    void TearDown() override {
        SetMessageSink({});
        DataFilePath.clear();
    }

    // Acts on the next modal window once it is up (a later call queues behind it).
    static void WhenModal(std::function<void(QWidget*)> act) {
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act)] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            timer->stop();
            timer->deleteLater();
            act(modal);
        });
        timer->start();
    }

    std::string Folder(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }

    QTemporaryDir dir_;
    std::deque<int> answers_;
    std::vector<std::string> asked_;
};

}  // namespace karvio::testing
