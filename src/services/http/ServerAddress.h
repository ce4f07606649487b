#pragma once

#include <QString>
#include <QUrl>

// The address of an OpenAI-compatible server as the user typed it. A key goes in clear over
// plain http, so http is accepted only to this computer or a private network; everything else
// needs https.
class ServerAddress {
public:
    enum class Verdict { secure, plainHttpLocal, plainHttpPublic, invalid };

    explicit ServerAddress(const QString& typed);

    Verdict verdict() const { return verdict_; }
    // Requests may go there: https, or http to a loopback or private-network address.
    bool isAllowed() const {
        return verdict_ == Verdict::secure || verdict_ == Verdict::plainHttpLocal;
    }
    // Scheme, host and port without a trailing "/" or a trailing "/v1": the clients append
    // the "/v1/..." paths themselves, and servers often document their base with "/v1".
    QString base() const { return base_; }
    // The base as the strict parser read it, with the path appended; empty when invalid. Every
    // request is built from this URL, never from the text: the lenient parser would repair an
    // address judged invalid into one that was never checked.
    QUrl endpoint(const QString& path) const;

    // Loopback, RFC 1918, link-local, unique-local IPv6, or "localhost".
    static bool isLocalHost(const QString& host);

private:
    QString base_;
    QUrl url_;
    Verdict verdict_ = Verdict::invalid;
};
