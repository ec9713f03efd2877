#pragma once

#include "service/HttpFetch.h"

#include <QByteArray>
#include <QUrl>

#include <optional>

// A request, or what came of it, as it crosses a pipe between the program and the child that
// makes its network calls: four bytes giving the length (most significant first), then the
// record as CBOR.
namespace FetchFrames {

struct Request {
    quint64 id = 0;
    QUrl address;
    HttpFetch::Headers headers;
    int timeoutMilliseconds = 0;

    bool operator==(const Request&) const = default;
};

struct Answer {
    quint64 id = 0;
    HttpFetch::Outcome outcome;

    bool operator==(const Answer&) const = default;
};

// A frame longer than this is no frame of ours: the largest body read, and room for the rest.
inline constexpr qsizetype largestFrame = HttpFetch::maximumBodySize + 1024 * 1024;

QByteArray framed(const Request& request);
QByteArray framed(const Answer& answer);

// Takes the first whole frame off the front of `buffer` and gives what it holds; nothing while
// the frame is incomplete. `broken` is set when the front of `buffer` can be no frame.
std::optional<QByteArray> takeFrame(QByteArray& buffer, bool& broken);

// Absent when the bytes are not a whole record.
std::optional<Request> readRequest(const QByteArray& record);
std::optional<Answer> readAnswer(const QByteArray& record);

} // namespace FetchFrames
