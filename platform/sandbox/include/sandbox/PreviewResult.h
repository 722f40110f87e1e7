#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace sandbox {

enum class PreviewFailure {
    None,
    Unreadable, // no format the child reads, or damaged
    TooLarge,   // over the pixel bound or the child's memory or CPU limit
    Crashed,    // the child faulted
    TimedOut,   // killed after the wall-clock limit
    Garbage,    // an answer that is no picture of the size asked for
    NotStarted, // the preview program is missing or cannot run
};

struct PreviewResult {
    QImage image;    // PreviewMode::Fit
    QByteArray jpeg; // PreviewMode::Jpeg
    PreviewFailure failure = PreviewFailure::None;
    bool ok() const { return failure == PreviewFailure::None; }
};

// Why no preview could be made, in German for the user, without a full stop.
QString failureText(PreviewFailure failure);

} // namespace sandbox
