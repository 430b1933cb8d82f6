#pragma once
// Subject and observer. A notification calls Update of every registered observer in registration
// order. Registrations changed from inside a notification take effect after it; from another
// thread they wait until the running notification has finished. An observer that is destroyed
// leaves every subject at once, so it is never called afterwards.
#include <mutex>
#include <thread>
#include <vector>

class CObserver;

class CObservable {
  public:
    CObservable() = default;
    virtual ~CObservable();
    CObservable(const CObservable&) = delete;
    CObservable& operator=(const CObservable&) = delete;

    void AddObserver(CObserver* observer, int value);
    void RemoveObserver(CObserver* observer);
    void NotifyObservers(int event);

  private:
    friend class CObserver;
    struct Registration {
        CObserver* observer;
        int value;
    };
    struct Pending {
        bool add;
        Registration registration;
    };
    void Apply(const Pending& change);
    void Forget(CObserver* observer);  // the observer is being destroyed

    std::recursive_mutex m_cs;
    std::vector<Registration> m_Registrations;
    std::vector<Pending> m_Pending;
    bool m_bNotifying = false;
};

class CObserver {
  public:
    CObserver() = default;
    virtual ~CObserver();
    CObserver(const CObserver&) = delete;
    CObserver& operator=(const CObserver&) = delete;

    virtual void Update(CObservable* subject, int value, int event) = 0;

  private:
    friend class CObservable;
    std::mutex m_csSubjects;
    std::vector<CObservable*> m_Subjects;
};
