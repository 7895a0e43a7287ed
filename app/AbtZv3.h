#pragma once
// The about box. It is created at start-up and kept, hidden, until the
// program ends: while it exists it marks this copy as running for the copies
// started after it.
#include <QDialog>
#include <memory>

#include "platform/RunningCopy.h"

class QLabel;
class QPushButton;

namespace zelvo::app {

inline constexpr const char* kProgramVersion = "3.02";

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Comments = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* ProgramIcon = nullptr;
    QPushButton* OKButton = nullptr;

    // The caption the running-copy search relies on, in Windows-1252.
    static std::string AboutCaption();

private:
    void FormCreate();

    platform::RunningCopyMarker marker_;
};

}  // namespace zelvo::app
