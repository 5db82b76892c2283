#include "k_Track.h"

#include <utility>

k_Track::k_Track(std::string name, std::unique_ptr<k_Instrument> instrument)
    : m_Name(std::move(name)), m_Instrument(std::move(instrument))
{
}
