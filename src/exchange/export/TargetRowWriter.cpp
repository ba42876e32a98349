#include "TargetRowWriter.h"

#include "campaign/Targets.h"

qint64 TargetRowWriter::insertRow(const Values& values)
{
    Writing writing(writing_);
    return Targets::add(state_, values);
}

bool TargetRowWriter::updateRow(qint64 key, const Values& changes, const Values& expected)
{
    Writing writing(writing_);
    return Targets::edit(state_, key, changes, expected);
}

void TargetRowWriter::deleteRow(qint64 key)
{
    Writing writing(writing_);
    Targets::remove(state_, key);
}
