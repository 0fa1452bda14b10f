// The project commands' services (projects/project_services.h) for the
// headless host: those of the component, with the host as the IDE that
// keeps the workspace's record, its workspace file (.kws) and settings file
// (.kwa).
#pragma once

#include "host/headless_host.h"
#include "service/connection_project_services.h"

namespace zelvan::testing {

class HeadlessProjectServices final : public ConnectionProjectServices {
 public:
  // `connection` may be null (never busy, commands go nowhere); both must
  // outlive the services.
  HeadlessProjectServices(HeadlessHost& host, IdeConnection* connection)
      : ConnectionProjectServices(connection, host) {}
};

}  // namespace zelvan::testing
