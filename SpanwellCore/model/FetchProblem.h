#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// Why the last refresh of an account gave no new snapshot.
class FetchProblem {
public:
    enum class Kind { signInExpired, noCredential, failed };

    static FetchProblem signInExpired() { return FetchProblem(Kind::signInExpired, {}); }
    static FetchProblem noCredential() { return FetchProblem(Kind::noCredential, {}); }
    // `message` is the sentence shown to the user.
    static FetchProblem failed(QString message) { return FetchProblem(Kind::failed, message); }

    Kind kind() const { return problemKind; }
    // The sentence of a `failed` problem; empty for the other kinds.
    const QString& message() const { return text; }
    // The account cannot be used until the user signs in again.
    bool needsSignIn() const { return problemKind != Kind::failed; }

    // One key, the case name, whose value holds the payload: {"failed":{"_0":"…"}}.
    QJsonObject toJson() const;
    static std::optional<FetchProblem> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const FetchProblem&) const = default;

private:
    FetchProblem(Kind kind, QString message)
        : problemKind(kind)
        , text(std::move(message)) {}

    Kind problemKind;
    QString text;
};
