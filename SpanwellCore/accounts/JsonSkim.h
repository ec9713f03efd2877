#pragma once

#include <QByteArrayView>

#include <optional>

// Claude Code's account files grow to many megabytes, of which the program needs one small
// member. This checks that the bytes are one strict JSON document (as QJsonDocument would
// accept it) without building it, and finds the raw text of one top-level member's value,
// several times faster than parsing the whole document.
namespace JsonSkim {

struct Member {
    // The bytes form a JSON document whose top level is an object.
    bool validObject = false;
    // The text of the value of the last top-level member with the key, when there is one.
    std::optional<QByteArrayView> value;
};

Member topLevelMember(QByteArrayView document, QByteArrayView key);

} // namespace JsonSkim
