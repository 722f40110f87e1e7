#pragma once

#include <QByteArray>

namespace dao::detail::pg {

// How long a server that does not answer is waited for, in seconds: 30, or
// what VARNHOLT_PG_TIMEOUT says (tests shorten it). A connection attempt
// gives up after a third of it; a statement whose answer has not begun after
// all of it has lost its connection. TCP keepalives and the TCP user timeout
// tell a peer that is gone within two thirds of it.
int patienceSeconds();

// The address with libpq's settings for connect timeout, keepalives and TCP
// user timeout added, each where the address does not set it itself.
QByteArray withTimeouts(const QByteArray &address, int patience);

} // namespace dao::detail::pg
