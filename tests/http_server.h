// A web server for the tests, inside the test process.
#pragma once

#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace trb::test {

// A web server for one test: answers every GET with the body for its path, 404 for others, and
// never answers paths in silent.
class SmallServer : public QTcpServer {
 public:
  QHash<QString, QByteArray> bodies;
  QStringList silent;
  SmallServer() {
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* s = nextPendingConnection()) {
        connect(s, &QTcpSocket::readyRead, s, [this, s] {
          const QByteArray request = s->readAll();
          const QString path = QString::fromLatin1(request.split(' ').value(1));
          if (silent.contains(path)) return;
          const bool found = bodies.contains(path);
          const QByteArray body = bodies.value(path, "not found");
          s->write((found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                   QByteArray("Content-Length: ") + QByteArray::number(body.size()) +
                   "\r\nConnection: close\r\n\r\n" + body);
          s->disconnectFromHost();
        });
      }
    });
  }
  QUrl url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
  }
};

}  // namespace trb::test
