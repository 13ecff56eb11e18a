// The office instance a run works in: the warm instance murano keeps, when it hands one over and
// it can be borrowed, else a private instance started for the run.
#pragma once

#include "platform/office/murano_office.h"

#include <memory>
#include <string>

// Borrows the warm instance named by MURANO_OFFICE (unless `mayBorrow` is false or
// MURANO_WARM_OFFICE is 0); when there is none, it is busy or it does not answer, starts a private
// instance. Returns nullptr and fills `error` when no instance could be had.
std::unique_ptr<office::Instance> StartOffice(bool mayBorrow, std::string& error);

// Whether `instance` is a borrowed instance that broke (its processes are gone): a step that failed
// in it is repeated in a private instance, since a warm instance may only make a run faster.
bool BorrowedInstanceBroke(const office::Instance* instance);
