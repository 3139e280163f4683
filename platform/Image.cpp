#include "Image.h"

#include <png.h>
#include <cstring>

bool PlatformImageLoadPNG(const char* path, PlatformImage* out)
{
	if (!path || !out)
		return false;

	png_image image;
	std::memset(&image, 0, sizeof(image));
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_file(&image, path))
		return false;

	if (image.width == 0 || image.height == 0 ||
	    image.width > PLATFORM_IMAGE_MAX_SIDE || image.height > PLATFORM_IMAGE_MAX_SIDE)
	{
		png_image_free(&image);
		return false;
	}

	image.format = PNG_FORMAT_RGBA;
	std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
	if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
	{
		png_image_free(&image);
		return false;
	}

	out->width = (int)image.width;
	out->height = (int)image.height;
	out->rgba.swap(pixels);
	return true;
}

bool PlatformImageSavePNG(const char* path, const unsigned char* rgba, int width, int height)
{
	if (!path || !rgba || width <= 0 || height <= 0)
		return false;

	png_image image;
	std::memset(&image, 0, sizeof(image));
	image.version = PNG_IMAGE_VERSION;
	image.width = (png_uint_32)width;
	image.height = (png_uint_32)height;
	image.format = PNG_FORMAT_RGBA;
	return png_image_write_to_file(&image, path, 0, rgba, 0, nullptr) != 0;
}
