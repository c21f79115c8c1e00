#include "sonarlog/run_options.h"

namespace logtrim {

run_options_record run_options;

}  // namespace logtrim
