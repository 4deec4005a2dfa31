#include "platform/dispatch.h"

#include <new>
#include <string>

namespace chaos {

void Dispatcher::run(const std::function<void()>& handler) noexcept {
    try {
        Failure failure{Problem::Unknown, ""};
        try {
            handler();
            return;
        } catch (const ProgramError& error) {
            failure = error.failed();
        } catch (const std::bad_alloc&) {
            failure = {Problem::OutOfMemory, ""};
        } catch (const std::exception& error) {
            failure = {Problem::Unexpected, error.what()};
        } catch (...) {
        }
        messages.show(wording(failure), MessageKind::Error);
    } catch (...) {
        // Nothing more can be told; the program goes on.
    }
}

} // namespace chaos
