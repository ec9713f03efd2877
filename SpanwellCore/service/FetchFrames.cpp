#include "service/FetchFrames.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QtEndian>

#include <algorithm>

namespace {

const QString idKey = QStringLiteral("id");
const QString addressKey = QStringLiteral("address");
const QString headersKey = QStringLiteral("headers");
const QString timeoutKey = QStringLiteral("timeout");
const QString statusKey = QStringLiteral("status");
const QString bodyKey = QStringLiteral("body");
const QString errorKey = QStringLiteral("error");

QByteArray withLength(const QByteArray& record) {
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(record.size()), frame.data());
    return frame + record;
}

QCborArray encodedHeaders(const HttpFetch::Headers& headers) {
    QCborArray encoded;
    for (const auto& [name, value] : headers)
        encoded.append(QCborArray{name, value});
    return encoded;
}

std::optional<HttpFetch::Headers> decodedHeaders(const QCborValue& value) {
    if (!value.isArray())
        return std::nullopt;
    HttpFetch::Headers headers;
    for (const QCborValue& pair : value.toArray()) {
        const QCborArray both = pair.toArray();
        if (!pair.isArray() || both.size() != 2 || !both.at(0).isByteArray() ||
            !both.at(1).isByteArray())
            return std::nullopt;
        headers.append({both.at(0).toByteArray(), both.at(1).toByteArray()});
    }
    return headers;
}

std::optional<QCborMap> recordMap(const QByteArray& record) {
    QCborParserError error;
    const QCborValue value = QCborValue::fromCbor(record, &error);
    if (error.error != QCborError::NoError || !value.isMap())
        return std::nullopt;
    const QCborMap map = value.toMap();
    if (!map.value(idKey).isInteger())
        return std::nullopt;
    return map;
}

} // namespace

namespace FetchFrames {

QByteArray framed(const Request& request) {
    return withLength(QCborValue(QCborMap{{idKey, qint64(request.id)},
                                          {addressKey, request.address.toString()},
                                          {headersKey, encodedHeaders(request.headers)},
                                          {timeoutKey, request.timeoutMilliseconds}})
                          .toCbor());
}

QByteArray framed(const Answer& answer) {
    QCborMap map{{idKey, qint64(answer.id)}};
    if (const auto* error = std::get_if<HttpFetch::TransportError>(&answer.outcome)) {
        map.insert(errorKey, error->message);
    } else {
        const auto& response = std::get<HttpFetch::Response>(answer.outcome);
        map.insert(statusKey, response.status);
        map.insert(headersKey, encodedHeaders(response.headers));
        // A body too large to read stays absent.
        if (response.body)
            map.insert(bodyKey, *response.body);
    }
    return withLength(QCborValue(map).toCbor());
}

std::optional<QByteArray> takeFrame(QByteArray& buffer, bool& broken) {
    if (buffer.size() < 4)
        return std::nullopt;
    const qsizetype length = qFromBigEndian<quint32>(buffer.constData());
    if (length > largestFrame) {
        broken = true;
        return std::nullopt;
    }
    if (buffer.size() < 4 + length)
        return std::nullopt;
    QByteArray record = buffer.mid(4, length);
    buffer.remove(0, 4 + length);
    return record;
}

std::optional<Request> readRequest(const QByteArray& record) {
    const std::optional<QCborMap> map = recordMap(record);
    if (!map)
        return std::nullopt;
    const std::optional<HttpFetch::Headers> headers = decodedHeaders(map->value(headersKey));
    const QCborValue address = map->value(addressKey);
    const QCborValue timeout = map->value(timeoutKey);
    if (!headers || !address.isString() || !timeout.isInteger())
        return std::nullopt;
    return Request{quint64(map->value(idKey).toInteger()), QUrl(address.toString()), *headers,
                   int(std::clamp<qint64>(timeout.toInteger(), 0, 24 * 3600 * 1000))};
}

std::optional<Answer> readAnswer(const QByteArray& record) {
    const std::optional<QCborMap> map = recordMap(record);
    if (!map)
        return std::nullopt;
    std::optional<Answer> answer(std::in_place);
    answer->id = quint64(map->value(idKey).toInteger());
    if (map->contains(errorKey)) {
        const QCborValue error = map->value(errorKey);
        if (!error.isString())
            return std::nullopt;
        answer->outcome = HttpFetch::TransportError{error.toString()};
        return answer;
    }
    const QCborValue status = map->value(statusKey);
    const std::optional<HttpFetch::Headers> headers = decodedHeaders(map->value(headersKey));
    if (!status.isInteger() || !headers)
        return std::nullopt;
    HttpFetch::Response response{int(status.toInteger()), std::nullopt, *headers};
    if (map->contains(bodyKey)) {
        const QCborValue body = map->value(bodyKey);
        if (!body.isByteArray())
            return std::nullopt;
        response.body = body.toByteArray();
    }
    answer->outcome = std::move(response);
    return answer;
}

} // namespace FetchFrames
