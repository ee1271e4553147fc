// The program's network services, registered with the host in the order
// the window's status bar and the configuration dialog show them. A new
// service is one line here.

#include "app/Programs.h"
#include "remote/RouterService.h"
#include "service/ServiceHost.h"
#include "web/WebService.h"

namespace mc {

void addServices(service::ServiceHost& host, MatrixSession& session) {
    host.add(std::make_unique<remote::RouterService>(session));
    host.add(std::make_unique<web::WebService>(session));
}

}  // namespace mc
