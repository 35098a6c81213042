#include "app/CommandState.h"

namespace CommandState {

QList<Change> Changes(Action action) {
    using C = Command;
    switch (action) {
    case Action::Connect:
        return {{C::AutoDetect, false}, {C::ManualConnect, false}, {C::Disconnect, true},
                {C::Download, true},    {C::SetClock, true},       {C::SetId, true},
                {C::Clear, true}};
    case Action::Disconnect:
        return {{C::AutoDetect, true}, {C::ManualConnect, true}, {C::Disconnect, false},
                {C::Download, false},  {C::SetClock, false},     {C::SetId, false},
                {C::Clear, false},     {C::SaveAs, false}};
    case Action::NoData:
        return {{C::SaveAs, false}, {C::Export, false}, {C::Print, false}};
    case Action::GotData:
        return {{C::SaveAs, true}, {C::Export, true}};
    case Action::ActivateInfo:
        return {{C::Print, false}, {C::Copy, false}, {C::SelectAll, false}};
    case Action::ActivateText:
        return {{C::Print, true}, {C::Copy, true}, {C::SelectAll, true}};
    case Action::ActivateGraph:
        return {{C::Print, true}, {C::Copy, true}, {C::SelectAll, false}};
    case Action::ActivateStorms:
        return {{C::Print, true}, {C::Copy, true}, {C::SelectAll, true}};
    }
    return {};
}

} // namespace CommandState
