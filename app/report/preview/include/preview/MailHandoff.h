#pragma once

#include <QString>

namespace report {

// Hands a report to the desktop's mail program as a new message with the
// report attached (xdg-email), from a folder of the program's own that goes
// when the program ends: the mail program may read the file long after the
// preview has closed.
class MailHandoff {
public:
    // Whether the desktop names a program for mailto: links. Without one,
    // xdg-email would try any web browser.
    static bool mailProgramSetUp();

    // The folder for the copies: made on first use with owner-only
    // permissions, removed with what it holds when the application object
    // goes. "" when it cannot be made.
    static QString copyFolder();

    // A new message with subject and file attached, in the mail program
    // (xdg-email, started apart from this program). False when it cannot start.
    static bool handOver(const QString &subject, const QString &file);
};

} // namespace report
