#pragma once
// The window benchmarks' error box: any error would make the figure
// meaningless, so it is printed and the benchmark fails.

#include <QString>
#include <cstdio>
#include <cstdlib>

#include "ui/qt/error_reporter.h"

class FailingReporter final : public tavrel::ErrorReporter {
public:
    explicit FailingReporter(const char* program) : program_(program) {}
    void ShowError(QWidget*, const QString& title, const QString& text) override {
        std::fprintf(stderr, "%s: %s: %s\n", program_, title.toUtf8().constData(),
                     text.toUtf8().constData());
        std::exit(1);
    }

private:
    const char* program_;
};
