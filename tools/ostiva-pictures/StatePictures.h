#pragma once
// The three 120 x 80 pictures of the access-code list: a code waiting for its
// customer, a customer connecting, a session that has ended.

#include <QImage>

namespace ostiva::pictures {

constexpr int kStateWidth = 120;
constexpr int kStateHeight = 80;

QImage ReadyPicture();
QImage ConnectingPicture();
QImage DisconnectedPicture();

}  // namespace ostiva::pictures
