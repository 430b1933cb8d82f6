#include "motion/comm/Observer.h"

#include <algorithm>

CObservable::~CObservable() {
    std::lock_guard<std::recursive_mutex> lock(m_cs);
    for (const Registration& r : m_Registrations) {
        std::lock_guard<std::mutex> subjects(r.observer->m_csSubjects);
        auto& list = r.observer->m_Subjects;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void CObservable::Apply(const Pending& change) {
    CObserver* observer = change.registration.observer;
    auto it = std::find_if(m_Registrations.begin(), m_Registrations.end(),
                           [&](const Registration& r) { return r.observer == observer; });
    std::lock_guard<std::mutex> subjects(observer->m_csSubjects);
    auto& list = observer->m_Subjects;
    if (change.add) {
        if (it != m_Registrations.end()) return;
        m_Registrations.push_back(change.registration);
        list.push_back(this);
    } else {
        if (it == m_Registrations.end()) return;
        m_Registrations.erase(it);
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void CObservable::AddObserver(CObserver* observer, int value) {
    if (!observer) return;
    std::lock_guard<std::recursive_mutex> lock(m_cs);
    Pending change{true, {observer, value}};
    if (m_bNotifying)
        m_Pending.push_back(change);
    else
        Apply(change);
}

void CObservable::RemoveObserver(CObserver* observer) {
    if (!observer) return;
    std::lock_guard<std::recursive_mutex> lock(m_cs);
    Pending change{false, {observer, 0}};
    if (m_bNotifying)
        m_Pending.push_back(change);
    else
        Apply(change);
}

void CObservable::Forget(CObserver* observer) {
    std::lock_guard<std::recursive_mutex> lock(m_cs);
    m_Registrations.erase(
        std::remove_if(m_Registrations.begin(), m_Registrations.end(),
                       [&](const Registration& r) { return r.observer == observer; }),
        m_Registrations.end());
    m_Pending.erase(
        std::remove_if(m_Pending.begin(), m_Pending.end(),
                       [&](const Pending& p) { return p.registration.observer == observer; }),
        m_Pending.end());
}

void CObservable::NotifyObservers(int event) {
    std::lock_guard<std::recursive_mutex> lock(m_cs);
    if (m_bNotifying) return;  // a notification from inside a notification would re-enter observers
    m_bNotifying = true;
    // Observers destroyed during the round leave m_Registrations at once; index by position and
    // re-check, so none is called after its destruction.
    std::vector<Registration> round = m_Registrations;
    for (const Registration& r : round) {
        bool stillThere =
            std::any_of(m_Registrations.begin(), m_Registrations.end(),
                        [&](const Registration& x) { return x.observer == r.observer; });
        if (stillThere) r.observer->Update(this, r.value, event);
    }
    m_bNotifying = false;
    std::vector<Pending> pending;
    pending.swap(m_Pending);
    for (const Pending& change : pending) Apply(change);
}

CObserver::~CObserver() {
    std::vector<CObservable*> subjects;
    {
        std::lock_guard<std::mutex> lock(m_csSubjects);
        subjects = m_Subjects;
    }
    for (CObservable* subject : subjects) subject->Forget(this);
}
