#include "platform/platform.h"

namespace vandrel::platform {

Services& Current() {
  static Services services;
  return services;
}

}  // namespace vandrel::platform
