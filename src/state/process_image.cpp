#include "state/process_image.h"

TProcessImage ProcessImage;
