#pragma once

#include "engine/Query.h"

namespace qm {

// Opens a dataset for a walk over its rows, with its grids kept still, and puts it back as it was
// found, also when the walk throws.
class DataSetWalk {
public:
    explicit DataSetWalk(TQuery& dataSet) : m_dataSet(dataSet), m_wasActive(dataSet.Active()) {
        if (!m_wasActive)
            m_dataSet.Open();
        m_dataSet.DisableControls();
    }
    ~DataSetWalk() {
        m_dataSet.EnableControls();
        if (!m_wasActive)
            m_dataSet.Close();
    }
    DataSetWalk(const DataSetWalk&) = delete;
    DataSetWalk& operator=(const DataSetWalk&) = delete;

private:
    TQuery& m_dataSet;
    bool m_wasActive;
};

} // namespace qm
