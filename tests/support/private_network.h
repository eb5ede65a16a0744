// A network of the test's own: the test process, and every program it runs
// after, see only a loopback interface of their own, so that a receiver can
// listen on port 139 whatever the machine runs there. Needs root.
#pragma once

namespace wirenote::testing {

// Enters the network (once per process); false when it cannot be had.
bool EnterPrivateNetwork();

// Whether a test that needs the network may run: it can be had, or CI is
// "true" (where the test then fails, as it should, rather than skip).
bool PrivateNetworkOrCi();

}  // namespace wirenote::testing
