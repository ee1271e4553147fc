// The program's network services, registered with the host in the order
// the window's status bar and the configuration dialog show them. A new
// service is one line here.

#include "app/Programs.h"
#include "remote/RouterService.h"
#include "service/ServiceHost.h"
#include "swp08/Swp08Service.h"
#include "web/WebService.h"

namespace mc {

void addServices(service::ServiceHost& host, MatrixSession& session) {
    host.add(std::make_unique<remote::RouterService>(session));
    host.add(std::make_unique<web::WebService>(session));
    host.add(std::make_unique<swp08::Swp08Service>(session));
}

}  // namespace mc
