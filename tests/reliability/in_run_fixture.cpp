#include "reliability/in_run_fixture.h"

namespace yx::test {

InRunTest::InRunTest() {
  log.on_append = [this](std::string_view added) {
    if (on_line) on_line(added);
  };
}

}  // namespace yx::test
