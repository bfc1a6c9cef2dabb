#pragma once
// Where and how the relay server is reached: read from the section "RELAY" of
// the application ini file, each key falling back to its default when it is
// missing or not a number.
//
//   HOST            the relay server's host name
//   PORT            its TLS port of the control requests (443)
//   FTPPORT         its file-channel port (21)
//   CAFILE          a PEM file of the certificates to trust; empty: the system's store
//   CONNECTTIMEOUT  milliseconds to connect, TLS handshake included (15000)
//   READTIMEOUT     milliseconds for a whole reply or a stalled transfer (30000)
//   SERIAL          the serial text sent with every request
//   STEPPAUSE       milliseconds the step window pauses after each step (480)
#include <QString>

struct TRelaySettings {
    static constexpr const char *DefaultHost = "relay.quenta.example.jp";

    QString Host = QString::fromLatin1(DefaultHost);
    quint16 Port = 443;
    quint16 FtpPort = 21;
    QString CaFile;
    int ConnectTimeoutMs = 15000;
    int ReadTimeoutMs = 30000;
    QString SerialText;
    int StepPauseMs = 480;

    // The settings of an ini file (the defaults when it does not exist).
    static TRelaySettings fromIniFile(const QString &path);
    // The settings of the application ini file of the system record.
    static TRelaySettings fromApplicationIni();
};
