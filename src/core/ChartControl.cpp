#include "ChartControl.h"
