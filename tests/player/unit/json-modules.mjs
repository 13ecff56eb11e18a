// Lets the player's sources import index_attributes.json under node as the bundler does, without
// the import attribute node asks for (the bundler of the build does not read it).
import { register } from 'node:module';

register('data:text/javascript,' + encodeURIComponent(`
export async function load(url, context, nextLoad) {
  return nextLoad(url, url.endsWith('.json') ? { ...context, importAttributes: { type: 'json' } } : context);
}`));
